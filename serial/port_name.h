#pragma once
// The device name under which a port from a port list is opened.
//
// Systems that call their ports COM1, COM2, ... open ports numbered above 9 only under the
// device-namespace prefix "\\.\" ("\\.\COM12"); COM1 to COM9 open by their plain names.
// Every other name (/dev/ttyUSB0, a link to a pseudo-terminal, ...) is a path that opens
// as it is listed. A name that already carries the prefix (stored by an earlier run) is
// used as it is and never prefixed a second time.
#include <string>
#include <string_view>

inline constexpr std::string_view kDeviceNamespacePrefix = "\\\\.\\";

// The device name for the listed name `listed` ("COM12" -> "\\.\COM12", "COM9" -> "COM9",
// "/dev/ttyUSB0" -> "/dev/ttyUSB0", "\\.\COM12" -> "\\.\COM12").
std::string DeviceNameForPort(const std::string& listed);
