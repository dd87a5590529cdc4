// Resource ids shared by res/velmora.rc, the program and the icon drawing
// tool. windres only runs the preprocessor over what it includes, so the
// values are macros; C++ code uses the typed constants below them.
#pragma once

// The eye: the tray icon at rest, every window's icon and the application's.
// The image ids are the ones other software may look the images up by.
#define VELMORA_EYE_ICON 1
#define VELMORA_EYE_ICON_32 30001
#define VELMORA_EYE_ICON_16 30002
// The sizes between and beyond them, which the notification area and the
// window captions ask for at 125 % to 300 % scaling.
#define VELMORA_EYE_ICON_20 30005
#define VELMORA_EYE_ICON_24 30006
#define VELMORA_EYE_ICON_28 30007
#define VELMORA_EYE_ICON_40 30008
#define VELMORA_EYE_ICON_48 30009

// The stopwatch shown in the tray while a sweep runs.
#define VELMORA_BUSY_ICON 2
#define VELMORA_BUSY_ICON_32 30003
#define VELMORA_BUSY_ICON_16 30004
#define VELMORA_BUSY_ICON_20 30010
#define VELMORA_BUSY_ICON_24 30011
#define VELMORA_BUSY_ICON_28 30012
#define VELMORA_BUSY_ICON_40 30013
#define VELMORA_BUSY_ICON_48 30014

#ifndef RC_INVOKED
namespace velmora {

// Each icon's images by size, smallest first.
struct IconImageId {
  int size;
  int id;
};

inline constexpr int kEyeIcon = VELMORA_EYE_ICON;
inline constexpr IconImageId kEyeImages[] = {
    {16, VELMORA_EYE_ICON_16}, {20, VELMORA_EYE_ICON_20}, {24, VELMORA_EYE_ICON_24},
    {28, VELMORA_EYE_ICON_28}, {32, VELMORA_EYE_ICON_32}, {40, VELMORA_EYE_ICON_40},
    {48, VELMORA_EYE_ICON_48}};
inline constexpr int kBusyIcon = VELMORA_BUSY_ICON;
inline constexpr IconImageId kBusyImages[] = {
    {16, VELMORA_BUSY_ICON_16}, {20, VELMORA_BUSY_ICON_20}, {24, VELMORA_BUSY_ICON_24},
    {28, VELMORA_BUSY_ICON_28}, {32, VELMORA_BUSY_ICON_32}, {40, VELMORA_BUSY_ICON_40},
    {48, VELMORA_BUSY_ICON_48}};

}  // namespace velmora
#endif
