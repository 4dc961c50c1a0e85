#pragma once
// A parser's output written down: each row as text, each unreadable line or stretch as "?".
#include <string>
#include <vector>

#include "core/plot/parsed_row.h"

struct RowLog final : ParsedRowSink {
  std::vector<std::string> entries;
  void Row(const ParsedRow& row) override {
    std::string text;
    for (int i = 0; i < row.count; ++i) {
      if (i) text += ' ';
      if (!row.names[i].empty()) text += std::string(row.names[i]) + '=';
      char number[32];
      std::snprintf(number, sizeof number, "%.9g", row.values[i]);
      text += number;
    }
    entries.push_back(text);
  }
  void Unreadable() override { entries.push_back("?"); }
};
