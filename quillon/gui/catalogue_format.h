#pragma once
// Fills a catalogue text with the caller's arguments. Catalogue texts are printf-style, but
// a translation may hold a '%' that is not meant as a conversion (" % Completed"), so only
// "%s" takes an argument and "%%" gives '%'; every other '%' stays as it is. A "%s" without
// an argument gives nothing. The result is cut to fit a buffer of kTextBufferSize bytes.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::size_t kTextBufferSize = 2000;

std::string formatCatalogueText(std::string_view format, std::initializer_list<std::string_view> arguments);

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
std::string cutText(std::string text, std::size_t limit);

}  // namespace quillon
