#include "keeplist/keep_store.h"

namespace velmora {

void ClearKeepLists(KeepStore& store) {
  store.KeepCursor = 0;
  for (WindowEntry& slot : store.KeepSlots) slot.Clear();
  ClearKeepIndex(store);
}

void ClearKeepIndex(KeepStore& store) {
  for (WindowEntry& entry : store.KeepIndex) entry.Clear();
}

void RefreshKeepList(KeepStore& store, const KeepListContext& context) {
  FenEnCours(context.tables, context.desktop);
  for (WindowEntry& slot : store.KeepSlots) {
    if (slot.handle != 0 && !ContainsHandle(Listed(context.tables.ScanTable), slot.handle)) {
      slot.Clear();
    }
  }
  ClearKeepIndex(store);
  auto next = store.KeepIndex.begin();
  for (const WindowEntry& slot : store.KeepSlots) {
    if (slot.handle != 0) (next++)->handle = slot.handle;
  }
  ShowKeepList(store, context);
}

void ShowKeepList(const KeepStore& store, const KeepListContext& context) {
  context.list.Clear();
  for (const WindowEntry& entry : Listed(store.KeepIndex)) {
    context.list.AddItem(GetCleanTitle(context.desktop, entry.handle));
  }
  context.list.Refresh();
}

bool UpdateKeptTitle(KeepStore& store, const KeepListContext& context, WindowHandle window) {
  for (WindowEntry& entry : store.KeepIndex) {
    if (entry.handle == 0) break;
    if (entry.handle != window) continue;
    entry.title = GetCleanTitle(context.desktop, window);
    ShowKeepList(store, context);
    return true;
  }
  return false;
}

void CaptureWindow(KeepStore& store, const KeepListContext& context, WindowHandle window,
                   std::string title) {
  if (store.KeepCursor >= kKeepSlotsUsed) store.KeepCursor = 0;
  WindowEntry& slot = store.KeepSlots[static_cast<std::size_t>(store.KeepCursor)];
  slot.handle = window;
  slot.title = std::move(title);
  ++store.KeepCursor;
  RefreshKeepList(store, context);
}

}  // namespace velmora
