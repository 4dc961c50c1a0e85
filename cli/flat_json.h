#pragma once
// The little JSON the command-line tool speaks: one object whose values are strings,
// numbers, true, false or null, nothing nested. Written by `read --json`, read back by
// `write --from`.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonMember {
  std::string key;
  // The value as text: a string's contents (escapes resolved, UTF-8), a number as written,
  // "true" or "false". Empty for null.
  std::optional<std::string> value;
  bool isString = false;
};

struct JsonObjectParse {
  std::vector<JsonMember> members;  // in the order of the text
  std::string error;                // empty when the text was one such object
};

JsonObjectParse ParseFlatJsonObject(std::string_view text);

// `text` as a JSON string, quotes included.
std::string JsonQuoted(std::string_view text);
