#pragma once
// Ordering and numbering of serial port names. Port lists hold whatever the system calls
// its ports (/dev/ttyUSB0, /dev/ttyACM1, a virtual port's link path, or COM3 on systems that
// name ports that way); people expect them sorted as they would count: ttyUSB2 before
// ttyUSB10, COM2 before COM10.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Natural order: runs of digits compare by their value (leading zeros ignored), everything
// else byte by byte. Names that differ only in leading zeros are equivalent, so a stable
// sort keeps them in the order they came in. A strict weak ordering.
bool NaturalLess(std::string_view a, std::string_view b);

// Sorts in natural order; equivalent names keep their order.
void SortPortNames(std::vector<std::string>& names);

// Inserts one name into a naturally sorted list: before the first entry that sorts after
// it, at the end when none does. Equivalent names go after the ones already there, so
// adding names one by one in enumeration order gives the same list as SortPortNames.
// For COM names this is exactly the rule "insert before the first entry whose port number
// is greater".
void InsertPortName(std::vector<std::string>& names, std::string name);

// The port number of a name of the form COM and decimal digits ("COM12" -> 12). Empty for
// every other name, for "COM" without digits and for numbers too large to be a port.
std::optional<unsigned> ComPortNumber(std::string_view name);
