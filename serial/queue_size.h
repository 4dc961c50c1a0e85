#pragma once
// The input and output queue size every port of the program asks for at open. The kernel
// keeps its own buffers on Linux, so the number is advice; one value keeps both pages alike.
#include <cstdint>

inline constexpr uint32_t kPortQueueBytes = 20480;
