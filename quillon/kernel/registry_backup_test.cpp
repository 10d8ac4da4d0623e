#include "quillon/kernel/registry_backup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/scratch_folder.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/drive_settings.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

bool sameRecord(const RegistryRecord& a, const RegistryRecord& b) {
  return a.keyPath == b.keyPath && a.valueName == b.valueName && a.data == b.data && a.type == b.type &&
         a.size == b.size;
}

std::vector<std::uint8_t> bytesOf(const std::string& path) { return platform::readWholeFile(path, 1 << 20).bytes; }

TEST(RegistryRecord, HasItsFieldsAtTheirOffsetsLittleEndian) {
  RegistryRecord record = numberRecord("System\\CurrentControlSet\\Services\\Cdrom", "Autorun", 0x01020304);
  std::array<std::uint8_t, kRegistryRecordSize> bytes = encodeRecord(record);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 40),
            std::string("System\\CurrentControlSet\\Services\\Cdrom") + '\0');
  EXPECT_EQ(std::string(bytes.begin() + 257, bytes.begin() + 265), std::string("Autorun") + '\0');
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 287, bytes.begin() + 292),
            (std::vector<std::uint8_t>{0x04, 0x03, 0x02, 0x01, 0x00}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 320, bytes.end()),
            (std::vector<std::uint8_t>{4, 0, 0, 0, 4, 0, 0, 0}));

  std::string fault;
  for (const RegistryRecord& original :
       {record, textRecord("K", "DriverParameter", "DmaDetectionLevel = 0x0;"), byteRecord("K", "N", 0xA5)}) {
    std::optional<RegistryRecord> decoded = decodeRecord(encodeRecord(original), fault);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(sameRecord(*decoded, original)) << original.valueName;
  }
}

TEST(RegistryRecord, AFieldWithoutItsTerminatorIsNoRecord) {
  std::array<std::uint8_t, kRegistryRecordSize> bytes = encodeRecord(byteRecord("K", "N", 1));
  std::array<std::uint8_t, kRegistryRecordSize> key = bytes;
  std::fill(key.begin(), key.begin() + kRecordKeySize, 'k');
  std::string fault;
  EXPECT_FALSE(decodeRecord(key, fault));
  EXPECT_EQ(fault, "key path not terminated within its field");
  std::fill(bytes.begin() + kRecordKeySize, bytes.begin() + kRecordKeySize + kRecordNameSize, 'n');
  EXPECT_FALSE(decodeRecord(bytes, fault));
  EXPECT_EQ(fault, "value name not terminated within its field");
}

TEST(RegistryRecord, OnlyARecordThatCanBeWrittenBackPasses) {
  RegistryRecord wrongType = byteRecord("K", "N", 1);
  wrongType.type = 2;
  RegistryRecord tooLong = byteRecord("K", "N", 1);
  tooLong.size = 34;
  RegistryRecord shortNumber = numberRecord("K", "N", 1);
  shortNumber.size = 2;
  RegistryRecord unterminated = textRecord("K", "N", "abc");
  unterminated.data.fill('x');
  const std::pair<RegistryRecord, const char*> faulty[] = {
      {byteRecord("", "N", 1), "no key path"},
      {byteRecord(std::string(257, 'k'), "N", 1), "key path longer than 256 characters"},
      {byteRecord("K", std::string(30, 'n'), 1), "value name longer than 29 characters"},
      {wrongType, "value type 2 is none of 1, 3 and 4"},
      {tooLong, "data size 34 exceeds the 33-byte field"},
      {textRecord("K", "N", std::string(33, 't')), "text of 33 characters not terminated within its field"},
      {unterminated, "text of 3 characters not terminated within its field"},
      {shortNumber, "a number of 2 bytes"},
  };
  for (const auto& [record, fault] : faulty) EXPECT_EQ(recordFault(record), fault);
  EXPECT_EQ(recordFault(textRecord("K", "N", std::string(32, 't'))), std::nullopt);
  EXPECT_EQ(recordFault(byteRecord(std::string(256, 'k'), std::string(29, 'n'), 1)), std::nullopt);
}

TEST(RegistryRecord, IsLoggedByItsType) {
  LogCapture log;
  RegistryRecord illegal = byteRecord("K", "N", 1);
  illegal.type = 7;
  for (const RegistryRecord& record :
       {textRecord("K", "T", "abc"), byteRecord("K", "B", 1), numberRecord("K", "D", 7), illegal})
    LogRegistryRecord(record);
  EXPECT_TRUE(log.contains(LogLevel::Info, "  K\\T = abc"));
  EXPECT_TRUE(log.contains(LogLevel::Info, "  K\\B = 1"));
  EXPECT_TRUE(log.contains(LogLevel::Info, "  K\\D = 7"));
  EXPECT_TRUE(log.contains(LogLevel::Error, "Illegal registry value type <7>"));
}

class RegistryFile : public ::testing::Test {
 protected:
  LogCapture log_;
  platform::ScratchFolder scratch_{"registry_backup"};
  std::string path_ = scratch_.file(kRegistryFileName);
};

TEST_F(RegistryFile, EachSaveAppendsABlockAndALoadReadsTheFirst) {
  std::vector<RegistryRecord> first = {byteRecord("Enum\\SCSI\\X", "DMACurrentlyUsed", 1),
                                       byteRecord("Enum\\SCSI\\X", "AutoInsertNotification", 1)};
  std::vector<RegistryRecord> second = {byteRecord("Enum\\SCSI\\X", "DMACurrentlyUsed", 0)};
  ASSERT_EQ(SaveRegistryFile(path_, first), kSuccess);
  std::vector<std::uint8_t> once = bytesOf(path_);
  ASSERT_EQ(SaveRegistryFile(path_, second), kSuccess);
  std::vector<std::uint8_t> twice = bytesOf(path_);
  ASSERT_EQ(twice.size(), 4 + 2 * kRegistryRecordSize + 4 + kRegistryRecordSize);
  EXPECT_TRUE(std::equal(once.begin(), once.end(), twice.begin())) << "the old content is kept byte for byte";
  EXPECT_EQ(std::vector<std::uint8_t>(twice.begin(), twice.begin() + 4), (std::vector<std::uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_.path()), fs::directory_iterator()), 1)
      << "no temporary file is left beside it";

  std::vector<RegistryRecord> loaded;
  ASSERT_EQ(LoadRegistryFile(path_, kMostRestoredRecords, loaded), kSuccess);
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_TRUE(sameRecord(loaded[0], first[0]));
  EXPECT_TRUE(sameRecord(loaded[1], first[1]));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Save Registry file."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Load Registry file."));
  EXPECT_TRUE(log_.contains(LogLevel::Info, "  Enum\\SCSI\\X\\AutoInsertNotification = 1"));
}

TEST_F(RegistryFile, ASaveWritesNothingWhenARecordCouldNotBeWrittenBack) {
  std::vector<RegistryRecord> records = {byteRecord("K", "N", 1),
                                         textRecord("K", "DriverParameter", std::string(40, 'p'))};
  EXPECT_EQ(SaveRegistryFile(path_, records), kOsiBackupNotWritten);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_TRUE(log_.contains(LogLevel::Error,
                            "Registry value <K\\DriverParameter> cannot be saved: text of 40 "
                            "characters not terminated within its field"));
}

TEST_F(RegistryFile, AFileThatIsThereButCannotBeReadIsNotReplaced) {
  fs::create_directory(path_);
  std::vector<RegistryRecord> records = {byteRecord("K", "N", 1)};
  EXPECT_EQ(SaveRegistryFile(path_, records), kOsiBackupNotCreated);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Unable to create registry file <" + path_ + ">"));
  std::string outside = (scratch_.path() / "gone" / kRegistryFileName).native();
  EXPECT_EQ(SaveRegistryFile(outside, records), kOsiBackupNotWritten);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Unable to write to registry file <" + outside + ">"));
}

TEST_F(RegistryFile, NoFileIsNothingToRestore) {
  std::vector<RegistryRecord> loaded = {byteRecord("K", "N", 1)};
  EXPECT_EQ(LoadRegistryFile(path_, kMostRestoredRecords, loaded), kOsiNoBackupFile);
  EXPECT_TRUE(loaded.empty());
  EXPECT_TRUE(log_.contains(LogLevel::Info, "Registry file <" + path_ + "> not available, nothing to restore"));
}

}  // namespace
}  // namespace quillon
