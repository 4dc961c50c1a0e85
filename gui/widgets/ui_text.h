#pragma once
// The window's texts stand in the sources as UTF-8 literals; this turns one into a QString.
// One helper for every panel, so that the day the texts go through a translation there is
// one place to change.
#include <QString>

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
