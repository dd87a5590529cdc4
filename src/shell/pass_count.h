// Reading the configuration dialog's pass-count box.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

// The pass count that the box's text puts in force, never 0: a text that
// holds no number, rounds to 0, or lies outside the signed 16-bit range gives
// the default of 10. Negative counts stay (a run then makes no pass). The box
// shows the result back as std::to_string writes it, which reads unchanged.
std::int16_t ReadPassCount(std::string_view box_text);

}  // namespace velmora
