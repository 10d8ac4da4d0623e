#include "sim/simpc/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/scratch_folder.h"

namespace sim::simpc {
namespace {

using Words = std::vector<std::string>;

struct Accepted {
  Words words;
  Invocation expected;
};

void expectSame(const Invocation& actual, const Invocation& expected, const Words& words) {
  std::string line;
  for (const std::string& word : words) line += word + " ";
  EXPECT_EQ(actual.command, expected.command) << line;
  EXPECT_EQ(actual.folder, expected.folder) << line;
  EXPECT_EQ(actual.from, expected.from) << line;
  EXPECT_EQ(actual.json, expected.json) << line;
  EXPECT_EQ(actual.interface, expected.interface) << line;
  EXPECT_EQ(actual.traceLevel, expected.traceLevel) << line;
  EXPECT_EQ(actual.program, expected.program) << line;
}

TEST(ArgumentsTest, ScanTakesAFolderAndItsOptionsInAnyOrder) {
  const Accepted cases[] = {
      {{"scan"}, {.command = "scan"}},
      {{"scan", "pc"}, {.command = "scan", .folder = "pc"}},
      {{"scan", "--interface", "spti", "--trace", "2"},
       {.command = "scan", .interface = "spti", .traceLevel = 2}},
      {{"scan", "--json", "--trace", "0", "pc", "--interface", "aspi"},
       {.command = "scan", .folder = "pc", .json = true, .interface = "aspi", .traceLevel = 0}},
      {{"scan", "--interface", "default", "--trace", "3"},
       {.command = "scan", .interface = "default", .traceLevel = 3}},
  };
  for (const Accepted& test : cases) {
    std::string error;
    auto invocation = parseArguments(test.words, error);
    ASSERT_TRUE(invocation) << error;
    EXPECT_EQ(error, "");
    expectSame(*invocation, test.expected, test.words);
  }
}

TEST(ArgumentsTest, ScanRefusesWhatItDoesNotTake) {
  const std::pair<Words, std::string> cases[] = {
      {{"scan", "--interface", "scsi"}, "--interface takes aspi, spti or default"},
      {{"scan", "--interface"}, "--interface takes aspi, spti or default"},
      {{"scan", "--trace", "4"}, "--trace takes a level from 0 to 3"},
      {{"scan", "--trace", "two"}, "--trace takes a level from 0 to 3"},
      {{"scan", "--trace"}, "--trace takes a level from 0 to 3"},
      {{"scan", "pc", "other"}, "unexpected other"},
      {{"scan", "--from", "default"}, "unexpected --from"},
      // The scan's options belong to scan alone.
      {{"show", "--trace", "1"}, "unexpected --trace"},
      {{"reset", "--interface", "aspi"}, "unexpected --interface"},
  };
  for (const auto& [words, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseArguments(words, error)) << message;
    EXPECT_EQ(error, message);
  }
}

TEST(ArgumentsTest, TheOtherCommandsKeepTheirWords) {
  platform::ScratchFolder machine("simpc_arguments");
  const std::string folder = machine.path().native();
  const Accepted cases[] = {
      {{"new", "pc", "--from", "pc.json"}, {.command = "new", .folder = "pc", .from = "pc.json"}},
      {{"show", "--json"}, {.command = "show", .json = true}},
      {{"reset", "pc"}, {.command = "reset", .folder = "pc"}},
      {{"run", folder, "quillon-scan", "--json"},
       {.command = "run", .folder = folder, .program = {"quillon-scan", "--json"}}},
      {{"run", "--machine", "pc", "prog"}, {.command = "run", .folder = "pc", .program = {"prog"}}},
  };
  for (const Accepted& test : cases) {
    std::string error;
    auto invocation = parseArguments(test.words, error);
    ASSERT_TRUE(invocation) << error;
    expectSame(*invocation, test.expected, test.words);
  }
  const std::pair<Words, std::string> refused[] = {
      {{}, "no command"},
      {{"boot"}, "unknown command boot"},
      {{"new"}, "new needs the folder to make the machine in"},
      {{"run"}, "run needs a PROGRAM"},
  };
  for (const auto& [words, message] : refused) {
    std::string error;
    EXPECT_FALSE(parseArguments(words, error));
    EXPECT_EQ(error, message);
  }
}

}  // namespace
}  // namespace sim::simpc
