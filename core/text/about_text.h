#pragma once
// The maker's short company profile, shown in the "关于我们" group of the configuration page.
// The web address follows it on a line of its own (core/text/maker.h).
#include "core/text/shown_text.h"

inline const char* const kAboutText = SHOWN_TEXT(
    "WindowText",
    "Kestrova专注于短距离无线数传模块的研发、生产与销售。\n"
    "ZEL系列模块广泛用于工业遥控、远程抄表、楼宇自动化和智能家居。\n"
    "我们为客户提供模块选型、方案设计与技术支持，欢迎访问我们的网站：");
