#pragma once
// A file name as one line of text. A path may hold any byte but NUL; written as it is, a line
// break in it would split one port into two lines and bytes that are not UTF-8 would garble
// the terminal. A backslash is written "\\", a line break "\n", a tab "\t", every other
// control character and every byte that is not part of well-formed UTF-8 "\xHH"; UTF-8 text
// stays as it is.
#include <string>
#include <string_view>

std::string EscapedForLine(std::string_view path);
