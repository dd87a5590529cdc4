// The window rule: which windows a sweep may close and a capture may keep.
// Its cases are the entries of one table, in window_rule.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_system.h"

namespace velmora {

inline constexpr int kClassNameBufferSize = 128;
// Room for 118 characters of title and a terminating NUL.
inline constexpr int kTitleMaxCount = 119;

// Whether the dialog-box class counts: the sweep closes titled dialogs, but a
// dialog can never be put on the keep list.
enum class DialogBoxes { kCounted, kNotCounted };

// The programs met in one scan, by process id, so that each process's image
// is read at most once per scan. Process ids are reused as soon as a process
// ends: a ProgramNames must not outlive its scan.
class ProgramNames {
 public:
  using Name = std::optional<std::string>;

  // The program's name if this process has been read already, else null.
  const Name* Known(std::uint32_t process_id) const;
  // The file name of the process's image (its path's last component), in
  // ASCII lower case; nothing when the image cannot be read. Read on first
  // use only.
  const Name& Read(WindowSystem& desktop, std::uint32_t process_id);

 private:
  std::vector<std::pair<std::uint32_t, Name>> names_;
};

// The window's text up to its first NUL, cut to 118 characters, spaces
// trimmed at both ends (tabs and other white space stay).
std::string GetCleanTitle(WindowSystem& desktop, WindowHandle window);

// The window rule. Returns the clean title when the window qualifies.
// Cheapest checks first: the class name, read for every window, settles
// almost all of them; a browser family's frame is then checked for its
// styles and its program, and the title is read last.
std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs, ProgramNames& programs);
// The same for a window on its own, outside any scan.
std::optional<std::string> QualifyWindow(WindowSystem& desktop, WindowHandle window,
                                         DialogBoxes dialogs);

}  // namespace velmora
