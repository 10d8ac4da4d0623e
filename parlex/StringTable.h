#pragma once
// The shape all seven tables share: one text per message number of the table's range.
// Every slot starts out holding the hole text, so a number that no language gives a text
// still answers with something, and an index outside the range answers with the table's
// illegal text. Tables point at the library's constant texts; they never copy them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace parlex {

inline constexpr int kEnglish = 1;
inline constexpr int kGerman = 2;
inline constexpr int kFrench = 3;

// The severity byte of a result code plays no part in finding its text.
inline constexpr std::int32_t kNumberMask = 0xFFFFFF;

// A full result code, severity byte included, with its texts in English, German, French.
struct Message {
  std::int32_t code;
  std::array<const char*, 3> text;
};

constexpr Message inAllLanguages(std::int32_t code, const char* text) { return {code, {text, text, text}}; }

// A language number that names none of the three gets the English texts, as the language
// choice itself falls back to English.
constexpr std::size_t languageColumn(int language) {
  return language == kGerman || language == kFrench ? static_cast<std::size_t>(language - 1) : 0;
}

template <std::int32_t Base, std::size_t Count>
class StringTable {
 public:
  static constexpr std::int32_t base = Base;
  static constexpr std::int32_t count = static_cast<std::int32_t>(Count);

  static constexpr bool holds(std::int32_t number) { return number >= base && number < base + count; }

  // `index` is the message number minus the table base.
  const char* String(std::int32_t index) const {
    return index >= 0 && index < count ? entries_[static_cast<std::size_t>(index)] : illegal_;
  }

  // A code of another table's range is ignored rather than written outside this one.
  void SetString(std::int32_t code, const char* text) {
    const std::int32_t number = code & kNumberMask;
    if (holds(number)) entries_[static_cast<std::size_t>(number - base)] = text;
  }

 protected:
  StringTable(const char* illegal, const char* hole, std::span<const Message> messages, int language)
      : illegal_(illegal), hole_(hole) {
    entries_.fill(hole_);
    const std::size_t column = languageColumn(language);
    for (const Message& message : messages) SetString(message.code, message.text[column]);
  }

 private:
  std::array<const char*, Count> entries_;
  const char* illegal_;
  const char* hole_;
};

}  // namespace parlex
