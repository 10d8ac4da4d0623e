#include "quillon/firmware/firmware_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/logging.h"
#include "sim/fixtures/firmware_builder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string model(int m) { return std::string(kModelIdentifiers[m - 1]); }

const std::string kM1 = model(1);    // drive type 1, one checksum
const std::string kM6 = model(6);    // drive type 6, or 8 with EXT
const std::string kM13 = model(13);  // drive type 14: any length for a plain file
const std::string kM22 = model(22);  // drive type 22: flashed by another program

class FirmwareFiles : public ::testing::Test {
 protected:
  std::string write(const Bytes& bytes, const std::string& name = "f.cvt") const {
    std::string path = scratch_.file(name);
    EXPECT_EQ(platform::writeWholeFile(path, bytes), platform::FileError::None);
    return path;
  }
  std::string write(const sim::FirmwareSpec& spec) const { return write(sim::buildFirmware(spec)); }

  platform::ScratchFolder scratch_{"firmware_test"};
  const fs::path& folder_ = scratch_.path();
  LogCapture log_;
};

sim::FirmwareSpec specFor(const std::string& id) {
  sim::FirmwareSpec spec;
  spec.model = id;
  return spec;
}

// ---- CheckFW ------------------------------------------------------------------------------

struct CheckCase {
  const char* name;
  sim::FirmwareSpec spec;
  std::function<void(Bytes&)> mutate;
  int part;
  ResultCode expected;
  const char* fatalLine;  // the Fatal line that explains a failure; nullptr for success
};

void setSize(Bytes& bytes, std::uint32_t size) {
  for (int i = 0; i < 4; ++i) bytes[kHeaderSize + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

sim::FirmwareSpec sized(const std::string& id, std::uint32_t size) {
  sim::FirmwareSpec spec = specFor(id);
  spec.size = size;
  if (size < 0x1000) spec.idWord.clear();
  return spec;
}

sim::FirmwareSpec withFlags(const std::string& id, bool badLinear, bool badRotated) {
  sim::FirmwareSpec spec = specFor(id);
  spec.badLinear = badLinear;
  spec.badRotated = badRotated;
  return spec;
}

const CheckCase kCheckCases[] = {
    {"valid two-checksum file", specFor(kM6), nullptr, kPlainFirmware, kSuccess, nullptr},
    {"valid one-checksum file", specFor(kM1), nullptr, kPlainFirmware, kSuccess, nullptr},
    {"type 1 with two bytes after its checksum", specFor(kM1), [](Bytes& b) { b.insert(b.end(), {0, 0}); },
     kPlainFirmware, kFwIllegalFile, "CheckFW: Invalid FW: invalid FW file size"},
    {"odd size, pad byte covered", sized(kM13, 16383), nullptr, kPlainFirmware, kSuccess, nullptr},
    {"odd size without its pad byte", sized(kM13, 16383), [](Bytes& b) { b.erase(b.begin() + 36 + 16383); },
     kPlainFirmware, kFwIllegalFile, "CheckFW: Invalid FW: invalid FW file size"},
    {"wrong length for the type", sized(kM6, 0x80000), nullptr, kPlainFirmware, kFwIllegalFile,
     "CheckFW: Invalid FW: invalid size"},
    {"not a whole number of blocks", sized(kM13, 16386), nullptr, kPlainFirmware, kFwIllegalFile,
     "CheckFW: Invalid FW: size is not an even number of blocks"},
    {"CD part of a combined type", sized(kM13, 0x80000), nullptr, kCdPart, kSuccess, nullptr},
    {"DVD part with the CD part's length", sized(kM13, 0x80000), nullptr, kDvdPart, kFwIllegalFile,
     "CheckFW: Invalid FW: invalid size"},
    {"drive type flashed by another program", specFor(kM22), nullptr, kPlainFirmware, kFwIllegalFile,
     "CheckFW: SW not up to date for drive type <VR4016V>"},
    {"unknown model", specFor("XX0000X"), nullptr, kPlainFirmware, kFwIllegalFile,
     "CheckFW: Invalid FW: unknown drive type <XX0000X>"},
    {"wrong rotated checksum", withFlags(kM6, false, true), nullptr, kPlainFirmware, kFwIllegalFile,
     "CheckFWchecksum: Calculated rotated checksum <%> does not match file checksum <%>"},
    {"size 0xFFFFFFFF does not wrap to an empty firmware", sized(kM13, 0),
     [](Bytes& b) { setSize(b, 0xFFFFFFFF); }, kPlainFirmware, kFwIllegalFile,
     "CheckFW: Invalid FW: invalid FW file size"},
    {"empty firmware", sized(kM13, 0), nullptr, kPlainFirmware, kFwIllegalFile, "CheckFW: Invalid FW: empty firmware"},
    {"too short for a size field", specFor(kM6), [](Bytes& b) { b.resize(35); }, kPlainFirmware, kFwIllegalFile,
     "CheckFW: Invalid FW: file of 35 bytes cannot hold a header and a size"},
};

// Lines with '%' stand for any hexadecimal values in those places.
bool matchesLine(const std::string& pattern, const std::string& line) {
  std::size_t p = 0, l = 0;
  while (p < pattern.size() && l <= line.size()) {
    if (pattern[p] == '%') {
      while (l < line.size() && std::isxdigit(static_cast<unsigned char>(line[l]))) ++l;
      ++p;
    } else if (l < line.size() && pattern[p] == line[l]) {
      ++p;
      ++l;
    } else {
      return false;
    }
  }
  return p == pattern.size() && l == line.size();
}

TEST_F(FirmwareFiles, CheckFwCases) {
  for (const CheckCase& c : kCheckCases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = sim::buildFirmware(c.spec);
    if (c.mutate) c.mutate(bytes);
    FirmwareImage image;
    image.assign(bytes);
    log_.clear();
    FirmwareCheck check;
    EXPECT_EQ(CheckFW(image, 16384, c.part, check), c.expected);
    std::vector<std::string> fatal;
    for (const auto& e : log_.entries())
      if (e.level == LogLevel::Fatal) fatal.push_back(e.text);
    if (c.fatalLine) {
      ASSERT_EQ(fatal.size(), 1u);
      EXPECT_TRUE(matchesLine(c.fatalLine, fatal[0])) << fatal[0];
    } else {
      EXPECT_TRUE(fatal.empty());
      EXPECT_EQ(check.data, image.bytes().data() + kDataOffset);
    }
    EXPECT_EQ(image.size(), bytes.size()) << "a check never changes the image";
  }
}

TEST_F(FirmwareFiles, CheckFwLogsTheHeaderAndReportsWhatItComputed) {
  FirmwareImage image;
  image.assign(sim::buildFirmware(specFor(kM6)));
  FirmwareCheck check;
  ASSERT_EQ(CheckFW(image, 16384, kPlainFirmware, check), kSuccess);
  EXPECT_EQ(log_.entries().front().text, "Checking FW: FW file <Vorante " + kM6 + " Firmware        > of size <262144>");
  EXPECT_EQ(check.driveType, 6);
  EXPECT_EQ(check.length, 262144u);
  EXPECT_EQ(check.linear, readLe16(image.bytes(), kDataOffset + 262144));
  EXPECT_EQ(check.rotated, readLe16(image.bytes(), kDataOffset + 262146));
}

TEST_F(FirmwareFiles, BothChecksumsWrongGiveTwoFatalLinesAndOneResult) {
  FirmwareImage image;
  image.assign(sim::buildFirmware(withFlags(kM6, true, true)));
  FirmwareCheck check;
  EXPECT_EQ(CheckFW(image, 16384, kPlainFirmware, check), kFwIllegalFile);
  int fatal = 0;
  for (const auto& e : log_.entries()) fatal += e.level == LogLevel::Fatal;
  EXPECT_EQ(fatal, 2);
}

TEST_F(FirmwareFiles, ZeroBlockSizeIsRefusedNotDividedBy) {
  FirmwareImage image;
  image.assign(sim::buildFirmware(specFor(kM6)));
  FirmwareCheck check;
  EXPECT_EQ(CheckFW(image, 0, kPlainFirmware, check), kFwIllegalFile);
  EXPECT_TRUE(log_.contains(LogLevel::Fatal, "CheckFW: Invalid FW: block size 0"));
}

TEST_F(FirmwareFiles, ExtFlagCountsOnlyInFormBForTheListButAlwaysForTheCheck) {
  sim::FirmwareSpec spec = specFor(kM6);
  spec.form = 'A';
  spec.ext = true;
  std::string path = write(spec);
  int listed = -1;
  EXPECT_EQ(GetFWDriveType(path, listed), kSuccess);
  EXPECT_EQ(listed, 6);
  FirmwareImage image;
  std::uint32_t size = 0;
  ASSERT_EQ(LoadFW(image, path, size), kSuccess);
  FirmwareCheck check;
  CheckFW(image, 16384, kPlainFirmware, check);
  EXPECT_EQ(check.driveType, 8);

  spec.form = 'B';
  EXPECT_EQ(GetFWDriveType(write(spec), listed), kSuccess);
  EXPECT_EQ(listed, 8);
}

TEST_F(FirmwareFiles, HeaderOfNeitherFormIsListedAsTypeZeroAndCheckedAtOffsetFour) {
  Bytes bytes = sim::buildFirmware(specFor(kM6));
  bytes[0] = 'X';  // "Xorante VR1204A": model read at offset 4 gives "nte VR1"
  std::string path = write(bytes);
  int driveType = -1;
  EXPECT_EQ(GetFWDriveType(path, driveType), kSuccess);
  EXPECT_EQ(driveType, 0);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Illegal firmware file <" + path +
                                                 ">, header : Xorante " + kM6 + " Firmware        "));
  std::copy(kM6.begin(), kM6.end(), bytes.begin() + 4);
  FirmwareImage image;
  image.assign(bytes);
  FirmwareCheck check;
  EXPECT_EQ(CheckFW(image, 16384, kPlainFirmware, check), kSuccess);
  EXPECT_EQ(check.driveType, 6);
}

TEST(CheckFWchecksum, RefusesAStoredAreaTooShortForItsChecksums) {
  LogCapture log;
  const Bytes abc = {'a', 'b', 'c', 0x26, 0x01};
  std::uint16_t linear = 0, rotated = 0;
  EXPECT_EQ(CheckFWchecksum(1, abc, 3, linear, rotated), kSuccess);
  EXPECT_EQ(linear, 0x0126);
  EXPECT_EQ(CheckFWchecksum(2, abc, 3, linear, rotated), kFwIllegalFile);
  EXPECT_EQ(CheckFWchecksum(1, abc, 4, linear, rotated), kFwIllegalFile);
}

// ---- LoadFW, GetFWDriveType, Release --------------------------------------------------------

TEST_F(FirmwareFiles, LoadFwReadsTheWholeFile) {
  Bytes bytes = sim::buildFirmware(specFor(kM1));
  std::string path = write(bytes);
  FirmwareImage image;
  std::uint32_t size = 0;
  ASSERT_EQ(LoadFW(image, path, size), kSuccess);
  EXPECT_EQ(size, bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.bytes().begin(), image.bytes().end()));
  Release(image);
  EXPECT_TRUE(image.empty());
}

TEST_F(FirmwareFiles, LoadFwFailuresLeaveTheImageEmpty) {
  FirmwareImage image;
  std::uint32_t size = 0;
  ASSERT_EQ(LoadFW(image, write(sim::buildFirmware(specFor(kM1))), size), kSuccess);

  std::string missing = (folder_ / "missing.cvt").native();
  EXPECT_EQ(LoadFW(image, missing, size), kFwFileNotFound);
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(size, 0u);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "Unable to locate file : " + missing));

  EXPECT_EQ(LoadFW(image, folder_.native(), size), kFwFileNotFound) << "a folder is not a file";
  EXPECT_EQ(LoadFW(image, "/" + std::string(300, 'a'), size), kFwFileNotFound) << "over the path limit";
}

TEST_F(FirmwareFiles, LoadFwRefusesAnOversizedFileBeforeAllocating) {
  std::string path = (folder_ / "huge.cvt").native();
  fs::resize_file(write(Bytes{}, "huge.cvt"), kMaxFirmwareFileSize + 1);  // sparse: costs no disk
  FirmwareImage image;
  std::uint32_t size = 0;
  EXPECT_EQ(LoadFW(image, path, size), kFwIllegalFile);
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(log_.entries().back().level, LogLevel::Error);
}

TEST_F(FirmwareFiles, AnEmptyFileLoadsButFailsTheCheck) {
  FirmwareImage image;
  std::uint32_t size = 1;
  ASSERT_EQ(LoadFW(image, write(Bytes{}), size), kSuccess);
  EXPECT_EQ(size, 0u);
  FirmwareCheck check;
  EXPECT_EQ(CheckFW(image, 16384, kPlainFirmware, check), kFwIllegalFile);
}

TEST_F(FirmwareFiles, GetFwDriveTypeFailures) {
  int driveType = -1;
  std::string missing = (folder_ / "missing.cvt").native();
  EXPECT_EQ(GetFWDriveType(missing, driveType), kFwFileNotFound);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "FWI: Error opening firmware file <" + missing + ">"));
  Bytes bytes = sim::buildFirmware(specFor(kM6));
  bytes.resize(31);
  std::string shortFile = write(bytes);
  EXPECT_EQ(GetFWDriveType(shortFile, driveType), kFwReadError);
  EXPECT_TRUE(log_.contains(LogLevel::Error, "FWI: Error reading firmware file <" + shortFile + ">"));
  EXPECT_EQ(driveType, 0);
}

TEST_F(FirmwareFiles, DestroyingAnImageLogsIt) {
  { FirmwareImage image; }
  EXPECT_TRUE(log_.contains(LogLevel::Info, "FWI: Destructor called"));
}

// ---- GetFWRevision ------------------------------------------------------------------------

struct RevisionCase {
  const char* name;
  std::string idWord;
  std::uint32_t idOffset;
  std::string expected;
};

TEST_F(FirmwareFiles, GetFwRevisionFindsTheIdentificationBlockInsideTheFirst32K) {
  const RevisionCase cases[] = {
      {"brand word", "VORANTE", 0x100, "2.10"},
      {"older word", "IDE-CD", 0x4000, "2.10"},
      {"block ending exactly at 32768", "VORANTE", kRevisionWindow - 28, "2.10"},
      {"revision one byte past 32768", "VORANTE", kRevisionWindow - 27, "????"},
      {"block beyond the window", "VORANTE", 0x10000, "????"},
      {"no block", "", 0, "????"},
  };
  for (const RevisionCase& c : cases) {
    SCOPED_TRACE(c.name);
    sim::FirmwareSpec spec = specFor(kM6);
    spec.revision = "2.10";
    spec.fill = {0x00};
    spec.idWord = c.idWord;
    spec.idOffset = c.idOffset;
    std::string path = write(spec);
    std::string revision;
    log_.clear();
    EXPECT_EQ(GetFWRevision(path, revision), kSuccess);
    EXPECT_EQ(revision, c.expected);
    bool warned = log_.contains(LogLevel::Warn, "FWI: Illegal Firmware file <" + path + ">, cannot find 'VORANTE'.");
    EXPECT_EQ(warned, c.expected == "????");
  }
}

TEST_F(FirmwareFiles, GetFwRevisionPrefersTheBrandWordAndNeedsAWhole32K) {
  sim::FirmwareSpec spec = sized(kM13, 16384 * 4);
  spec.idWord.clear();
  Bytes bytes = sim::buildFirmware(spec);
  const std::string ide = "IDE-CD                  A.01", brand = "VORANTE                 B.02";
  std::copy(ide.begin(), ide.end(), bytes.begin() + 100);
  std::copy(brand.begin(), brand.end(), bytes.begin() + 9000);
  std::string revision;
  EXPECT_EQ(GetFWRevision(write(bytes), revision), kSuccess);
  EXPECT_EQ(revision, "B.02");

  bytes.resize(kRevisionWindow - 1);
  std::string path = write(bytes, "short.cvt");
  EXPECT_EQ(GetFWRevision(path, revision), kFwReadError);
  EXPECT_TRUE(log_.contains(LogLevel::Warn, "FWI: Error reading firmware file <" + path + ">"));
  EXPECT_EQ(GetFWRevision((folder_ / "missing").native(), revision), kFwFileNotFound);
}

}  // namespace
}  // namespace quillon
