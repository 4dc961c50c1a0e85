#pragma once
// What the demo prints: the bytes that went over a line and the values the configuration
// page shows after a module read, as plain text lines.
#include <QString>
#include <QStringList>
#include <string_view>

class ConfigPage;
class TVornicSPComm;

// "<hex pairs>  \"<text>\"  (<n> bytes)" for GBK bytes; the text shows what the receive
// window shows for them.
QString BytesLine(std::string_view gbkBytes);

// The requests of the last module read and the reply gathered for it.
QStringList ModuleExchangeLines(const TVornicSPComm& w);

// The module's values as the configuration page shows them now.
QStringList ModuleValueLines(const ConfigPage& page);
