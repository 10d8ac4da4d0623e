#pragma once
// Windows compares the names of keys, values, libraries and files without regard to case,
// for ASCII letters only; other bytes (of UTF-8 names, say) are compared as they are.

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

inline char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
inline char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string lowerAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), [](char c) { return lowerAscii(c); });
  return result;
}

inline std::string upperAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), [](char c) { return upperAscii(c); });
  return result;
}

inline bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

}  // namespace platform
