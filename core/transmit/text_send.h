#pragma once
// Sending a text the way the transmit field and the presets do: hexadecimal byte text one
// byte per write, or the text's own bytes in one write followed by the chosen line end.
#include <cstdint>
#include <string_view>

class BoundedWriter;

enum class LineEnd { None, CrLf, Lf };

// "发送新行" appends CR LF, "发送'\n'" a lone LF; when both are set (only the settings file
// can do that) CR LF wins.
LineEnd ChooseLineEnd(bool newLine, bool lineFeed);

// Sends `gbk` (the text's GBK bytes) through `writer`:
//   hex: every byte ParseHexText yields by its own 1-byte write; never a line end;
//   otherwise: one write of all the bytes (also of none), then the line end by a second write.
// Returns the number of bytes handed to the port, which is what the byte counter grows by,
// whether each write succeeded or not. Writes skipped on a blocked line are not counted.
uint32_t SendText(BoundedWriter& writer, std::string_view gbk, bool hex, LineEnd end);

// Sends `bytes` one byte per write (typed characters); returns the bytes handed over.
uint32_t SendBytesOneByOne(BoundedWriter& writer, std::string_view bytes);
