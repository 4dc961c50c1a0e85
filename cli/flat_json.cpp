#include "cli/flat_json.h"

#include <cstdint>
#include <cstdio>

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  JsonObjectParse Object() {
    JsonObjectParse parse;
    if (!Take('{')) return Fail("the file does not hold a JSON object");
    if (!Take('}')) {
      do {
        JsonMember member;
        if (!String(member.key)) return Fail("a member name is not a string");
        if (!Take(':')) return Fail("':' missing after \"" + member.key + "\"");
        if (!Value(member)) return Fail("the value of \"" + member.key + "\" is not a string, number, true, false or null");
        parse.members.push_back(std::move(member));
      } while (Take(','));
      if (!Take('}')) return Fail("',' or '}' missing");
    }
    SkipBlanks();
    if (at_ != text_.size()) return Fail("text after the object");
    return parse;
  }

 private:
  JsonObjectParse Fail(std::string why) const {
    return {{}, why + " (at byte " + std::to_string(at_ + 1) + ")"};
  }

  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool Value(JsonMember& member) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == '"') {
      member.isString = true;
      member.value.emplace();
      return String(*member.value);
    }
    if (Word("null")) return true;
    for (const std::string_view word : {"true", "false"}) {
      if (Word(word)) {
        member.value = std::string(word);
        return true;
      }
    }
    const size_t start = at_;
    while (at_ < text_.size() && std::string_view("0123456789+-.eE").find(text_[at_]) != std::string_view::npos) ++at_;
    if (at_ == start) return false;
    member.value = std::string(text_.substr(start, at_ - start));
    return true;
  }

  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char escaped = text_[at_++];
      switch (escaped) {
        case '"': case '\\': case '/': out += escaped; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': if (!Unicode(out)) return false; break;
        default: return false;
      }
    }
    return false;
  }

  std::optional<uint32_t> Hex4() {
    if (at_ + 4 > text_.size()) return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
  }

  // \uXXXX, with a surrogate pair for characters beyond the first plane, as UTF-8.
  bool Unicode(std::string& out) {
    auto unit = Hex4();
    if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF)) return false;
    uint32_t code = *unit;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (!Word("\\u")) return false;
      const auto low = Hex4();
      if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

JsonObjectParse ParseFlatJsonObject(std::string_view text) { return Reader(text).Object(); }

std::string JsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}
