// The keep list: the windows a sweep spares. The procedures that capture,
// prune and show them; the tables themselves are KeepStore, in Module1.
#pragma once

#include <string>

#include "platform/forms.h"
#include "state/module1.h"
#include "sweep/scan.h"

namespace velmora {

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

}  // namespace velmora
