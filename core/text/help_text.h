#pragma once
// The program's help text: 79 lines joined by single line feeds.
#include <functional>
#include <string>

// The text a line is shown as (its translation); none: the line as it stands.
using HelpLineText = std::function<std::string(const char* line)>;

std::string HelpTextUtf8(const HelpLineText& lineText = {});
// The same text in GBK bytes, as the receive window holds its content.
std::string HelpTextGbk(const HelpLineText& lineText = {});
