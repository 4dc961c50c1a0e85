#pragma once
// The maker's identity, shown in the caption and the status bar and opened by the links.
inline const char* const kMakerName = "Kestrova";
inline const char* const kMakerWebAddress = "http://www.kestrova.example";
inline const char* const kCaptionPrefix = "Kestrova串口调试工具V2.2 - ";
