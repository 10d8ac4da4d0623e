#include "quillon/gui/catalogue_format.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(FormatCatalogueText, FillsOnlyStringPlaceholders) {
  struct Case {
    const char* format;
    std::initializer_list<std::string_view> arguments;
    const char* expected;
  };
  const Case cases[] = {
      {"Unable to locate file %s.", {"a.cvt"}, "Unable to locate file a.cvt."},
      {" % Completed", {}, " % Completed"},
      {" % Opération terminée", {"unused"}, " % Opération terminée"},
      {"%d%x%n%p", {"x"}, "%d%x%n%p"},
      {"100%%", {}, "100%"},
      {"%s and %s", {"one"}, "one and "},
      {"trailing %", {}, "trailing %"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatCatalogueText(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatCatalogueText, CutsToTheBufferWithoutSplittingACharacter) {
  std::string longArgument(3000, 'x');
  EXPECT_EQ(formatCatalogueText("%s", {longArgument}).size(), kTextBufferSize - 1);
  std::string accents;
  for (int i = 0; i < 1500; ++i) accents += "é";  // two bytes each
  std::string cut = formatCatalogueText("%s", {accents});
  EXPECT_EQ(cut.size(), kTextBufferSize - 2);
  EXPECT_EQ(cutText("aé", 2), "a");
}

}  // namespace
}  // namespace quillon
