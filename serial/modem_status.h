#pragma once
// The modem status lines as the serial interface names them, and what the kernel counted of
// breaks and line errors: read together, by whoever shows them.
#include <cstdint>

#include "serial/line_errors.h"

namespace win {

inline constexpr uint32_t MS_CTS_ON = 0x0010;
inline constexpr uint32_t MS_DSR_ON = 0x0020;
inline constexpr uint32_t MS_RING_ON = 0x0040;
inline constexpr uint32_t MS_RLSD_ON = 0x0080;  // carrier detect (DCD)

}  // namespace win
