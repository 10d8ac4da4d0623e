#include "sim/drives/vorante/firmware_revision.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sim::vorante {
namespace {

std::vector<std::uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A block of `word` and its revision at 24, with `before` bytes ahead of it.
std::string block(const std::string& word, const std::string& revision, std::size_t before = 8) {
  std::string text(before, '\xFF');
  text += word;
  text.resize(before + 24, ' ');
  return text + revision;
}

TEST(FirmwareRevision, ComesFromTheIdentificationBlock) {
  struct Case {
    std::string data;
    std::optional<std::string> revision;
    const char* what;
  };
  const Case cases[] = {
      {block("VORANTE", "2.31"), "2.31", "the maker's block"},
      {block("IDE-CD", "0.90"), "0.90", "the older block"},
      {block("IDE-CD", "0.90") + block("VORANTE", "2.31"), "2.31", "the maker's block first, wherever it is"},
      {block("VORANTE", "2.31") + block("VORANTE", "9.99"), "2.31", "its first occurrence"},
      {block("VORANTE", "2.3"), std::nullopt, "a revision cut off by the end of the data"},
      {block("VORANTE", std::string("2\x01"
                                    "31",
                                    4)),
       std::nullopt, "a revision INQUIRY cannot carry"},
      {block("VORANTE", std::string("2.3\0", 4)), "2.3", "a revision ended by a zero"},
      {std::string(64, '\xFF'), std::nullopt, "no block at all"},
  };
  for (const Case& c : cases) EXPECT_EQ(firmwareRevision(bytes(c.data)), c.revision) << c.what;
}

}  // namespace
}  // namespace sim::vorante
