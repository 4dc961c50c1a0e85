#pragma once
// The maker's identity, shown in the caption and the status bar and opened by the links.
#include "core/text/shown_text.h"

inline const char* const kMakerName = "Kestrova";
// Shown as people write it; opened through the browser as an http address.
inline const char* const kMakerWebAddress = "www.kestrova.example";
inline const char* const kMakerUrl = "http://www.kestrova.example";
inline const char* const kCaptionPrefix = SHOWN_TEXT("WindowText", "Kestrova串口调试工具V2.2 - ");
