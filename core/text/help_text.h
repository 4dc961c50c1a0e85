#pragma once
// The program's help text: 79 lines joined by single line feeds.
#include <string>

std::string HelpTextUtf8();
// The same text in GBK bytes, as the receive window holds its content.
std::string HelpTextGbk();
