#include "quillon/gui/catalogue_format.h"

namespace quillon {

std::string cutText(std::string text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

std::string formatCatalogueText(std::string_view format, std::initializer_list<std::string_view> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size() && text.size() < kTextBufferSize; ++i) {
    bool conversion = format[i] == '%' && i + 1 < format.size();
    if (conversion && format[i + 1] == 's') {
      if (next != arguments.end()) text += *next++;
      ++i;
    } else if (conversion && format[i + 1] == '%') {
      text += '%';
      ++i;
    } else {
      text += format[i];
    }
  }
  return cutText(std::move(text), kTextBufferSize - 1);
}

}  // namespace quillon
