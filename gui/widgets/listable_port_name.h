#pragma once
// Which port names a drop-down list may show. A list entry is a QString, and the entry the
// user picks is turned back into the name the port opens under and that the settings file
// keeps; a name must survive both. Names are file names to the system (any bytes but '/' and
// NUL), and a virtual port's link is named by the user, so some do not:
// - bytes that are not UTF-8 (0xFF, a Latin-1 name) come back as U+FFFD, a different path;
// - a line break or another control character cannot stand in a line of the settings file.
// Such a name is left out: a port the list offers must open under the name it shows.
#include <string>

bool CanListPortName(const std::string& name);
