#include "quillon/kernel/oem_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/oem_builder.h"

namespace quillon {
namespace {

sim::OemEntry entry(const std::string& product, std::uint32_t driveType) {
  sim::OemEntry e;
  e.text = "Logo.bmp";
  e.vendor = "VORANTE";
  e.product = product;
  e.skew = "A*";
  e.revisionPattern = "2.*0";
  e.driveType = driveType;
  return e;
}

class OemFiles : public ::testing::Test {
 protected:
  ResultCode load(const std::vector<std::uint8_t>& bytes) {
    platform::writeWholeFile(folder_.file(kOemFileName), bytes);
    return reader_.LoadOemFile(folder_.path().native());
  }
  platform::ScratchFolder folder_{"oem_test"};
  LogCapture log_;
  OemReader reader_;
};

TEST(Unscramble, RotatesEachByteRightByItsKeyByteModEight) {
  sim::OemEntry e = entry("VR1204A", 6);
  OemBlock plain = sim::plainRecord(e);
  OemBlock zero{};
  EXPECT_EQ(sim::scramble(plain, zero), plain) << "a zero key changes nothing";
  OemBlock nine{};
  nine.fill(9);
  OemBlock stored = sim::scramble(plain, nine);
  EXPECT_EQ(stored[0], static_cast<std::uint8_t>(plain[0] << 1 | plain[0] >> 7));
  OemRecord back = unscramble(stored, nine);
  EXPECT_EQ(back.product, "VR1204A");
  EXPECT_EQ(back.skew, "A*");
  EXPECT_EQ(back.revisionPattern, "2.*0");
  EXPECT_EQ(back.driveType, 6u);
}

TEST_F(OemFiles, LoadsEveryRecordInFileOrderAndLogsEach) {
  auto file = sim::buildOemFile(sim::keyFromSeed(7), {entry("VR1204A", 6), entry("VR2410A", 16)});
  file.resize(file.size() + 40, 0xAA);  // a trailing partial block is ignored
  EXPECT_EQ(load(file), kOemLoaded);
  ASSERT_EQ(reader_.list().size(), 2u);
  EXPECT_EQ(reader_.list()[0].text, "Logo.bmp");
  EXPECT_EQ(reader_.list()[1].product, "VR2410A");
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Logo.bmp, VORANTE, VR1204A, A*, 2.*0, 6"));
}

TEST_F(OemFiles, ACorruptRecordEndsTheLoadKeepingTheRecordsBeforeIt) {
  sim::OemEntry bad = entry("VR9999A", 1);
  bad.revision = 2;
  auto file = sim::buildOemFile(sim::keyFromSeed(3), {entry("VR1204A", 6), entry("VR2410A", 16), bad});
  EXPECT_EQ(load(file), kOemCorrupt);
  EXPECT_EQ(reader_.list().size(), 2u);
  EXPECT_TRUE(log_.contains(LogLevel::Fatal, "CIM: Corrupt OEM file: Rev <2>, Len <84>"));
}

TEST_F(OemFiles, MissingShortOrRecordlessFiles) {
  EXPECT_EQ(reader_.LoadOemFile(folder_.path().native()), kOemNotFound);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "CIM: File <" + folder_.file(kOemFileName) + "> not found"));
  EXPECT_EQ(load(std::vector<std::uint8_t>(50, 1)), kOemLoaded);
  EXPECT_TRUE(reader_.list().empty());
  EXPECT_EQ(load(sim::buildOemFile(sim::keyFromSeed(1), {})), kOemLoaded);
  EXPECT_TRUE(reader_.list().empty());
}

TEST_F(OemFiles, AFieldWithoutTerminatorIsCutAtItsEnd) {
  auto file = sim::buildOemFile(OemBlock{}, {entry("VR1204A", 6)});  // a zero key stores bytes as they are
  std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(kOemRecordSize + kOemProduct.offset), kOemProduct.size, 'P');
  EXPECT_EQ(load(file), kOemLoaded);
  EXPECT_EQ(reader_.list()[0].product, std::string(kOemProduct.size, 'P'));
}

TEST_F(OemFiles, AFolderEndingInABackslashIsJoinedWithoutASecondSeparator) {
  platform::writeWholeFile(folder_.file(kOemFileName), sim::buildOemFile(OemBlock{}, {entry("VR1204A", 6)}));
  EXPECT_EQ(reader_.LoadOemFile(folder_.path().native() + "\\"), kOemLoaded);
  EXPECT_EQ(reader_.list().size(), 1u);
}

}  // namespace
}  // namespace quillon
