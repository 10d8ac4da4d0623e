#include "parlex/dump.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <vector>

#include "parlex/Lngstring.h"
#include "parlex/test_registry.h"

namespace parlex {
namespace {

// Every number of the seven tables: 70 + 5 + 7 + 12 + 4 + 11 + 5.
constexpr std::size_t kNumbers = 114;

struct DumpRun {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

DumpRun run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = runDump(args, out, err);
  DumpRun result{status, {}, err.str()};
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) result.lines.push_back(line);
  return result;
}

// The line of one number, found by its first column.
std::string lineOf(const DumpRun& dump, std::int32_t number) {
  const std::string start = std::to_string(number) + "\t";
  for (const std::string& line : dump.lines)
    if (line.starts_with(start)) return line;
  return "";
}

class Dump : public LanguageRegistry {};

TEST_F(Dump, ListsEveryNumberWithItsThreeTextsSideBySide) {
  const DumpRun dump = run({});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(dump.lines.size(), kNumbers + 1);
  EXPECT_EQ(dump.lines.front(), "No.\tHole\tEnglish\tGerman\tFrench");
  EXPECT_EQ(dump.lines[1], "0\t\t<< &Back\t<< &Zurück\t<< &Retour");
  EXPECT_EQ(dump.lines.back(), lineOf(dump, 604));
  EXPECT_EQ(lineOf(dump, 67), "67\thole\tGUI : Language Handling. Hole in string array"
                              "\tGUI : Language Handling. Hole in string array"
                              "\tGUI : Language Handling. Hole in string array");
  EXPECT_TRUE(lineOf(dump, 200).starts_with("200\thole\tCIM : Hole in string array\t"));
  EXPECT_EQ(lineOf(dump, 70), "") << "numbers outside the tables are not listed";
  EXPECT_EQ(lineOf(dump, 23), "23\t\tA:\\\\\tA:\\\\\tA:\\\\") << "a backslash is written doubled";
  EXPECT_TRUE(lineOf(dump, 63).starts_with("63\t\tYour system configuration currently allows :\\n\\n%s\\n\\n"))
      << "line feeds are written as \\n, so each number keeps to its line";
}

TEST_F(Dump, ListsOneLanguageWhenAsked) {
  const DumpRun dump = run({"--lang", "de"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(dump.lines.size(), kNumbers + 1);
  EXPECT_EQ(dump.lines.front(), "No.\tHole\tGerman");
  EXPECT_EQ(lineOf(dump, 5), "5\t\t&Ende");
  EXPECT_EQ(lineOf(dump, 67), "67\thole\tGUI : Language Handling. Hole in string array");
  EXPECT_EQ(lineOf(run({"--lang", "fr"}), 401), "401\t\tPas de concordance");
}

TEST_F(Dump, WritesOneJsonObjectPerNumber) {
  const DumpRun dump = run({"--json"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(dump.lines.size(), kNumbers);
  std::set<std::int32_t> holes;
  for (const std::string& line : dump.lines) {
    const nlohmann::ordered_json object = nlohmann::ordered_json::parse(line);
    ASSERT_EQ(object.size(), 5u) << line;
    EXPECT_EQ(object.begin().key(), "number") << line;
    if (object["hole"]) holes.insert(object["number"].get<std::int32_t>());
  }
  EXPECT_EQ(holes, (std::set<std::int32_t>{67, 200}));
  const auto first = nlohmann::json::parse(dump.lines.front());
  EXPECT_EQ(first, nlohmann::json::parse(R"({"number":0,"en":"<< &Back","de":"<< &Zurück","fr":"<< &Retour",
                                              "hole":false})"));
  const auto dma = nlohmann::json::parse(dump.lines[69]);
  EXPECT_TRUE(dma["de"].get<std::string>().starts_with("Follow these steps to turn off DMA under Windows 2000.\n\n"));
}

TEST_F(Dump, WritesJsonInOneLanguage) {
  const DumpRun dump = run({"--json", "--lang", "fr"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  ASSERT_EQ(dump.lines.size(), kNumbers);
  EXPECT_EQ(nlohmann::json::parse(dump.lines[92]),
            nlohmann::json::parse(R"({"number":310,"fr":"No medium present.","hole":false})"));
}

TEST_F(Dump, LeavesTheProgramsRegistryAsItWas) {
  setLanguage("French");
  ASSERT_EQ(run({"--lang", "de"}).status, 0);
  EXPECT_EQ(TlngString::fechLanguage(), 3);
}

TEST_F(Dump, RejectsBadUsageWithStatus2) {
  const std::vector<std::vector<std::string>> bad = {{"--lang"}, {"--lang", "it"}, {"--lang", "DE"}, {"--xml"}, {"de"}};
  for (const auto& args : bad) {
    const DumpRun dump = run(args);
    EXPECT_EQ(dump.status, 2) << args.back();
    EXPECT_TRUE(dump.lines.empty()) << args.back();
    EXPECT_NE(dump.err.find("usage: parlex-dump [--lang en|de|fr] [--json]"), std::string::npos) << dump.err;
  }
}

}  // namespace
}  // namespace parlex
