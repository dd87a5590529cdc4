// Resource ids shared by res/velmora.rc, the program and the icon drawing
// tool. windres only runs the preprocessor over what it includes, so the
// values are macros; C++ code uses the typed constants below them.
#pragma once

// The eye: the tray icon at rest, every window's icon and the application's.
// The image ids are the ones other software may look the images up by.
#define VELMORA_EYE_ICON 1
#define VELMORA_EYE_ICON_32 30001
#define VELMORA_EYE_ICON_16 30002

// The stopwatch shown in the tray while a sweep runs.
#define VELMORA_BUSY_ICON 2
#define VELMORA_BUSY_ICON_32 30003
#define VELMORA_BUSY_ICON_16 30004

#ifndef RC_INVOKED
namespace velmora {

inline constexpr int kEyeIcon = VELMORA_EYE_ICON;
inline constexpr int kEyeIcon32 = VELMORA_EYE_ICON_32;
inline constexpr int kEyeIcon16 = VELMORA_EYE_ICON_16;
inline constexpr int kBusyIcon = VELMORA_BUSY_ICON;
inline constexpr int kBusyIcon32 = VELMORA_BUSY_ICON_32;
inline constexpr int kBusyIcon16 = VELMORA_BUSY_ICON_16;

}  // namespace velmora
#endif
