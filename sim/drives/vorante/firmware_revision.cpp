#include "sim/drives/vorante/firmware_revision.h"

#include <algorithm>
#include <string_view>

namespace sim::vorante {
namespace {

constexpr std::size_t kRevisionOffset = 24;
constexpr std::size_t kRevisionLength = 4;

// The revision bytes after the first occurrence of `word` whose revision lies inside the data.
std::optional<std::span<const std::uint8_t>> revisionBytes(std::span<const std::uint8_t> data, std::string_view word) {
  constexpr std::size_t kBlockEnd = kRevisionOffset + kRevisionLength;
  if (data.size() < kBlockEnd) return std::nullopt;
  auto searchable = data.first(data.size() - kBlockEnd + word.size());
  auto found = std::search(searchable.begin(), searchable.end(), word.begin(), word.end());
  if (found == searchable.end()) return std::nullopt;
  return data.subspan(static_cast<std::size_t>(found - data.begin()) + kRevisionOffset, kRevisionLength);
}

std::optional<std::string> text(std::span<const std::uint8_t> revision) {
  std::string text(revision.begin(), std::find(revision.begin(), revision.end(), std::uint8_t{0}));
  bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
  if (text.empty() || !printable) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> firmwareRevision(std::span<const std::uint8_t> data) {
  auto revision = revisionBytes(data, "VORANTE");
  if (!revision) revision = revisionBytes(data, "IDE-CD");
  return revision ? text(*revision) : std::nullopt;
}

}  // namespace sim::vorante
