#include "quillon/gui/logging.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/scratch_folder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

const std::string kBanner =
    "\n------------------------------------------------------------\n"
    "Status/Error Logging V3.7.2.4\n"
    "------------------------------------------------------------\n";

// Runs each test in a fresh current folder, on a virtual clock at 13:07:05,480,
// with standard output replaced by a file the test can read.
class StatusLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = platform::currentFolder().value();
    ASSERT_TRUE(platform::setCurrentFolder(folder_.native()));
    console_ = std::tmpfile();
  }
  void TearDown() override {
    std::fclose(console_);
    platform::setCurrentFolder(previous_);
  }
  std::string console() const {
    std::fflush(console_);
    std::rewind(console_);
    std::string text;
    for (int c; (c = std::fgetc(console_)) != EOF;) text += static_cast<char>(c);
    return text;
  }
  std::string logFile() const { return readText(folder_ / kLogFileName); }

  platform::VirtualClock clock_{{13, 7, 5, 480}};
  platform::ScopedClock useClock_{clock_};
  std::string previous_;
  platform::ScratchFolder scratch_{"log_test"};
  const fs::path& folder_ = scratch_.path();
  std::FILE* console_ = nullptr;
};

TEST_F(StatusLogTest, FirstEntryCreatesTheFileWithBannerAndStampedLines) {
  StatusLog log(console_);
  log.write(LogLevel::Info, "Kernel Created");
  clock_.advance(9);
  log.write(LogLevel::Fatal, "");
  const std::string lines = "13:07:05,48  Info : Kernel Created\n13:07:05,48  Fatal: \n";
  EXPECT_EQ(logFile(), kBanner + lines);
  EXPECT_EQ(console(), lines);
}

TEST_F(StatusLogTest, EachLevelHasItsLabel) {
  EXPECT_EQ(levelLabel(LogLevel::Info), "Info : ");
  EXPECT_EQ(levelLabel(LogLevel::Warn), "Warn : ");
  EXPECT_EQ(levelLabel(LogLevel::Error), "Error: ");
  EXPECT_EQ(levelLabel(LogLevel::Fatal), "Fatal: ");
}

TEST_F(StatusLogTest, ASecondRunReplacesThePreviousLog) {
  {
    StatusLog first(console_);
    first.write(LogLevel::Info, "first run");
  }
  StatusLog second(console_);
  second.write(LogLevel::Warn, "second run");
  EXPECT_EQ(logFile(), kBanner + "13:07:05,48  Warn : second run\n");
}

TEST_F(StatusLogTest, EveryEntryIsInTheFileBeforeTheNextIsWritten) {
  StatusLog log(console_);
  log.write(LogLevel::Info, "one");
  EXPECT_EQ(logFile(), kBanner + "13:07:05,48  Info : one\n");
}

TEST_F(StatusLogTest, CloseWritesCloseLogAndReleasesTheFile) {
  StatusLog log(console_);
  log.write(LogLevel::Info, "last");
  log.close();
  EXPECT_EQ(logFile(), kBanner + "13:07:05,48  Info : last\n13:07:05,48  Info : Close Log\n");
}

TEST_F(StatusLogTest, AnUncreatableFileIsReportedPerEntryAndTheEntryStillReachesOutput) {
  fs::create_directory(folder_ / kLogFileName);  // even root cannot open a folder for writing
  StatusLog log(console_);
  log.write(LogLevel::Info, "a");
  log.write(LogLevel::Error, "b");
  EXPECT_EQ(console(),
            "Unable to create file Logging.Log\n13:07:05,48  Info : a\n"
            "Unable to create file Logging.Log\n13:07:05,48  Error: b\n");
}

TEST_F(StatusLogTest, AReadOnlyFolderGivesNoFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  StatusLog log(console_);
  log.write(LogLevel::Info, "a");
  EXPECT_EQ(console(), "Unable to create file Logging.Log\n13:07:05,48  Info : a\n");
  EXPECT_FALSE(fs::exists(folder_ / kLogFileName));
}

TEST_F(StatusLogTest, AnOverlongTextIsCutToTheLineSize) {
  StatusLog log(console_);
  log.write(LogLevel::Info, std::string(5000, 'x'));
  std::string line = console();
  EXPECT_EQ(line.size(), kLogLineSize - 1 + 1) << "1999 characters and the line feed";
  EXPECT_EQ(line.back(), '\n');
}

TEST(LogRoutines, FormatPrintfStyleAndCutAtTheBufferSize) {
  LogCapture capture;
  LogWarn("FWI: Illegal drive type <%s>", "ABCDEFG");
  LogError("%s", std::string(4000, 'p').c_str());
  ASSERT_EQ(capture.entries().size(), 2u);
  EXPECT_TRUE(capture.contains(LogLevel::Warn, "FWI: Illegal drive type <ABCDEFG>"));
  EXPECT_EQ(capture.entries()[1].text.size(), kLogLineSize - 1);
}

}  // namespace
}  // namespace quillon
