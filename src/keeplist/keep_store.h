// The keep list: the windows a sweep spares. Captures go into KeepSlots in
// ring order; KeepIndex is the packed list of their handles that the sweep
// and the keep-list window read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/forms.h"
#include "sweep/scan.h"

namespace velmora {

inline constexpr int kKeepTableSize = 301;
// Captures use slots 0 to 299 only, so KeepIndex always ends at a zero handle
// inside the table (its entry 300 stays empty).
inline constexpr int kKeepSlotsUsed = 300;

struct KeepStore {
  std::array<WindowEntry, kKeepTableSize> KeepSlots{};
  std::int16_t KeepCursor = 0;
  std::array<WindowEntry, kKeepTableSize> KeepIndex{};
};

// Everything the store reaches outside itself: the tables of the fresh scan,
// the desktop, and the keep-list window's list box.
struct KeepListContext {
  ScanTables& tables;
  WindowSystem& desktop;
  ListBoxView& list;
};

void ClearKeepLists(KeepStore& store);
void ClearKeepIndex(KeepStore& store);
// Rescans the desktop, empties the slots of windows no longer listed,
// rebuilds KeepIndex and redisplays the list.
void RefreshKeepList(KeepStore& store, const KeepListContext& context);
// Refills the list with the kept windows' current titles, in slot order.
void ShowKeepList(const KeepStore& store, const KeepListContext& context);
// True when the window is already kept; its stored title is then refreshed
// and the list redisplayed.
bool UpdateKeptTitle(KeepStore& store, const KeepListContext& context, WindowHandle window);
// Writes a qualified window that is not kept yet into the next slot, then
// refreshes the list.
void CaptureWindow(KeepStore& store, const KeepListContext& context, WindowHandle window,
                   std::string title);
// The sweep's question: is the window's handle on the packed list?
bool IsKept(const KeepStore& store, WindowHandle window);

}  // namespace velmora
