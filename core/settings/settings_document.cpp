// The two walkers of the key table: one reads a document into the settings, one writes the
// settings into a document.
#include "core/settings/settings_document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/text/gbk_bytes.h"
#include "core/text/gbk_codec.h"

namespace {

class KeyLoader {
 public:
  explicit KeyLoader(const IniDocument& ini) : ini_(ini) {}

  void Section(std::string_view name) { section_ = name; }

  void Bytes(std::string_view key, std::string_view fallback, size_t maxBytes, std::string& member,
             EmptyValue empty = EmptyValue::kIsAValue) {
    std::string bytes = ini_.ReadText(section_, key, fallback, maxBytes);
    if (!bytes.empty() || empty != EmptyValue::kKeepsMember) member = std::move(bytes);
  }
  void Text(std::string_view key, std::string_view fallback, size_t maxBytes, std::string& member,
            EmptyValue empty = EmptyValue::kIsAValue) {
    const std::string bytes = ini_.ReadText(section_, key, fallback, maxBytes);
    if (!bytes.empty() || empty != EmptyValue::kKeepsMember) member = DecodeGbk(bytes);
  }
  void Number(std::string_view key, int32_t fallback, uint32_t& member) {
    member = static_cast<uint32_t>(ini_.ReadInt(section_, key, fallback));
  }
  void Byte(std::string_view key, int32_t fallback, uint8_t& member) {
    member = static_cast<uint8_t>(ini_.ReadInt(section_, key, fallback));
  }
  template <class T>
  void Flag(std::string_view key, bool fallback, T& member) {
    member = static_cast<T>(ini_.ReadInt(section_, key, fallback ? 1 : 0) != 0);
  }
  void ByteField(std::string_view key, int32_t fallback, uint8_t& number, std::string& text) {
    Byte(key, fallback, number);
    text = std::to_string(number);
  }
  // A text that is no frequency keeps the frequency the page had; the field then shows that.
  void FrequencyField(std::string_view key, std::string_view fallback, size_t maxBytes, uint32_t& khz,
                      std::string& text) {
    const std::string bytes = ini_.ReadText(section_, key, fallback, maxBytes);
    const FrequencyParse parsed = ParseFrequencyText(bytes);
    if (parsed.ok()) khz = parsed.khz;
    text = parsed.ok() ? DecodeGbk(bytes) : FrequencyText(khz);
  }

 private:
  const IniDocument& ini_;
  std::string_view section_;
};

class KeySaver {
 public:
  explicit KeySaver(IniDocument& ini) : ini_(ini) {}

  void Section(std::string_view name) { section_ = name; }

  void Bytes(std::string_view key, std::string_view, size_t, const std::string& member,
             EmptyValue empty = EmptyValue::kIsAValue) {
    if (member.empty() && empty == EmptyValue::kNotWritten && !ini_.Find(section_, key)) return;
    (void)ini_.Write(section_, key, member);
  }
  void Text(std::string_view key, std::string_view, size_t maxBytes, const std::string& member,
            EmptyValue = EmptyValue::kIsAValue) {
    Shown(key, member, maxBytes);
  }
  void Number(std::string_view key, int32_t, uint32_t member) {
    (void)ini_.WriteInt(section_, key, static_cast<int32_t>(member));
  }
  void Byte(std::string_view key, int32_t, uint8_t member) { (void)ini_.WriteInt(section_, key, member); }
  template <class T>
  void Flag(std::string_view key, bool, T member) {
    (void)ini_.WriteInt(section_, key, member ? 1 : 0);
  }
  void ByteField(std::string_view key, int32_t, uint8_t, const std::string& text) { Shown(key, text, SIZE_MAX); }
  void FrequencyField(std::string_view key, std::string_view, size_t maxBytes, uint32_t, const std::string& text) {
    Shown(key, text, maxBytes);
  }

 private:
  // While the text is still what the stored value (as a load reads it, cut to `maxBytes`)
  // decodes to, the stored value stays as it is: bytes that are no GBK would not survive a
  // decode and encode, and an over-long value stays whole.
  void Shown(std::string_view key, const std::string& utf8, size_t maxBytes) {
    const std::optional<std::string> stored = ini_.Find(section_, key);
    const std::string read = stored ? stored->substr(0, GbkPrefixLength(*stored, maxBytes)) : std::string();
    const std::string bytes = KeepOrEncodeGbk(utf8, read);
    if (!stored || bytes != read) (void)ini_.Write(section_, key, bytes);
  }

  IniDocument& ini_;
  std::string_view section_;
};

}  // namespace

void LoadSettingsDocument(const IniDocument& ini, AllSettings& settings) {
  KeyLoader loader(ini);
  DescribeSettingsKeys(loader, settings);
}

void SaveSettingsDocument(const AllSettings& settings, IniDocument& ini) {
  KeySaver saver(ini);
  DescribeSettingsKeys(saver, settings);
}
