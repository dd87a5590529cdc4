// What a process holds of each kind of system resource, for the soak: each
// count is the system's own where it gives one, and otherwise a walk of that
// kind's handle space (Wine 8 answers GetGuiResources and
// GetProcessHandleCount with 0, and leaves PrivateUsage at 0).
#pragma once

#include <cstdint>
#include <string>

namespace velmora::bench {

struct Count {
  std::int64_t value = 0;
  // How it was counted, for the report.
  const char* method = "";
};

struct Resources {
  Count gdi_objects;
  Count user_objects;
  Count kernel_handles;
  Count private_bytes;
};

Resources CountResources();

}  // namespace velmora::bench
