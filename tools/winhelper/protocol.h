// What winhelper.exe and the programs that drive it share: the clock its log
// is written in and the shape of a log line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::winhelper {

// Milliseconds on the machine's monotonic counter, which every process reads
// alike, so that a test can compare the helper's times with its own.
inline std::int64_t MonotonicMilliseconds() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return counter.QuadPart / (frequency.QuadPart / 1000);
}

// "<ms> <event> [<name> <handle> [<value>]]", fields separated by one space.
struct LogLine {
  std::int64_t ms = 0;
  std::string event;
  std::string name;
  std::uint64_t handle = 0;
  std::int64_t value = 0;
};

std::optional<LogLine> ParseLogLine(std::string_view line);

}  // namespace velmora::winhelper
