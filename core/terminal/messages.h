#pragma once
// Message numbers of the main window's message map. Worker threads and port monitors post
// these; the window dispatches them in one place on the user-interface thread.
#include <cstdint>

// In the namespace of the other names the program keeps from the system it was first written
// for, so that they cannot meet a platform header's own.
namespace win {

inline constexpr uint32_t WM_DEVICECHANGE = 537;
inline constexpr uint32_t WM_PORT_EVENT = 1025;
inline constexpr uint32_t WM_MODULE_PORT_EVENT = 1026;
inline constexpr uint32_t WM_RECEIVE_SHOW = 1027;
inline constexpr uint32_t WM_MODULE_TIMEOUT = 1028;
inline constexpr uint32_t WM_MODULE_DELAYED = 1029;

// First parameter of WM_DEVICECHANGE.
inline constexpr uint32_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;

}  // namespace win
