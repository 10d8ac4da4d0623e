#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "quillon/drive/command_test_support.h"
#include "quillon/drive/diagnostics_code.h"
#include "quillon/drive/drive_results.h"
#include "quillon/drive/scsi_opcodes.h"

namespace quillon {
namespace {

using testing::Bytes;
using testing::CommandTest;


Bytes enterDiagnosticsCdb() {
  Bytes cdb(12);
  cdb[0] = kEnterDiagnostics;
  for (std::size_t i = 0; i < kDiagnosticsAccessCode.size(); ++i)
    cdb[1 + i] = static_cast<std::uint8_t>(kDiagnosticsAccessCode.at(i));
  cdb[11] = 0xAA;
  return cdb;
}
const Bytes kLeaveDiagnosticsCdb{0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAA};
const Bytes kReadFactoryCdb{0xFF, 0x00, 0x00, 0x00, 0x00, 0x38, 0x00, 0x04, 0x00, 0x00, 0x00, 0xAA};
const Bytes kWriteFactoryCdb{0xFF, 0x01, 0x00, 0x00, 0x00, 0x38, 0x00, 0x04, 0x00, 0x00, 0x00, 0xAA};

class VendorTest : public CommandTest {
 protected:
  std::vector<Bytes> cdbs() const {
    std::vector<Bytes> sent;
    for (const auto& command : script_.received) sent.push_back(command.cdb);
    return sent;
  }
};

// Whether an image may pass through SPTI.

TEST_F(VendorTest, HighLinearChecksumNeedsAspiForTheShortFormDriveTypesOnWindows2000AndXp) {
  struct Case {
    PlatformCode platform;
    Interface interface;
    int driveType;
    std::uint16_t linearChecksum;
    bool refused;
  };
  std::vector<Case> cases;
  for (int type : {1, 2, 3, 4, 5, 6, 8, 11}) {
    cases.push_back({kPlatformWindowsXp, SPTI_INTERFACE, type, 0x1FFF, false});
    cases.push_back({kPlatformWindowsXp, SPTI_INTERFACE, type, 0x2000, true});
    cases.push_back({kPlatformWindowsXp, ASPI_INTERFACE, type, 0x2000, false});
  }
  cases.push_back({kPlatformWindowsXp, SPTI_INTERFACE, 11, 0xFFFF, true});
  cases.push_back({kPlatformWindows2000, SPTI_INTERFACE, 1, 0x8000, true});
  cases.push_back({kPlatformWindowsXp, SPTI_INTERFACE, 7, 0xFFFF, false});
  cases.push_back({kPlatformWindowsXp, SPTI_INTERFACE, 16, 0x2000, false});
  cases.push_back({kPlatformWindowsNt4, SPTI_INTERFACE, 1, 0xFFFF, false});
  for (const auto& c : cases) {
    start(c.driveType, c.platform);
    transport_->SetInterface(c.interface);
    ASSERT_EQ(transport_->GetInterface(), c.interface);
    std::string what = std::to_string(c.platform) + "/" + std::to_string(c.interface) + "/" +
                       std::to_string(c.driveType) + "/" + std::to_string(c.linearChecksum);
    EXPECT_EQ(drives_->CheckSptiCapable(0, c.linearChecksum), c.refused ? kNoAspiLayer : kSuccess) << what;
    std::vector<std::string> expected{c.interface == SPTI_INTERFACE ? "Used interface = SPTI_INTERFACE"
                                                                    : "Used interface = ASPI_INTERFACE"};
    if (c.refused) expected.push_back("The chosen CVT file cannot be flashed with SPTI: Install an ASPI layer");
    EXPECT_EQ(logTexts(), expected) << what;
    EXPECT_TRUE(script_.received.empty());
  }
}

// The skew and EFTIM numbers.

struct NumberCase {
  const char* name;
  ResultCode (*read)(DriDrives&, std::span<char, 4>);
  std::uint8_t selector;
  const char* logged;
};

const NumberCase kNumbers[] = {
    {"ReadSkew", [](DriDrives& d, std::span<char, 4> t) { return d.ReadSkew(0, t); }, 0xD0, "Drive skew number <7B>"},
    {"ReadEFTIM", [](DriDrives& d, std::span<char, 4> t) { return d.ReadEFTIM(0, t); }, 0xF6,
     "Drive eftim number <7B>"},
};

TEST_F(VendorTest, NumbersKeepTheFirstTwoCharactersOfTheAnswer) {
  script_.answers[kReadNumber] = {'7', 'B', 'X', 'Y'};
  start(6);
  for (const auto& c : kNumbers) {
    script_.received.clear();
    log_.clear();
    std::array<char, 4> text{'q', 'q', 'q', 'q'};
    EXPECT_EQ(c.read(*drives_, text), kSuccess) << c.name;
    EXPECT_EQ(text, (std::array<char, 4>{'7', 'B', '\0', '\0'})) << c.name;
    EXPECT_EQ(cdbs(), (std::vector<Bytes>{{0xF8, 0x00, 0x60, 0, 0, 0, 0, 0, 0x04, 0xA1, c.selector, 0x00}})) << c.name;
    EXPECT_EQ(logTexts(), (std::vector<std::string>{c.logged}));
  }
}

TEST_F(VendorTest, RefusedNumberLeavesTheTextEmpty) {
  script_.answers[kReadNumber] = {'7', 'B', 'X', 'Y'};
  script_.refused[kReadNumber] = {1, 2};
  start(6);
  for (const auto& c : kNumbers) {
    log_.clear();
    std::array<char, 4> text{'q', 'q', 'q', 'q'};
    EXPECT_EQ(c.read(*drives_, text), kAspiSendError) << c.name;
    EXPECT_EQ(text, (std::array<char, 4>{})) << c.name;
    EXPECT_TRUE(log_.entries().empty()) << c.name;
  }
}

// The factory setting inside the diagnostics mode.

TEST_F(VendorTest, DiagnosticsModeOpensWithTheAccessCodeAndCloses) {
  start(11);
  EXPECT_EQ(drives_->EnableDiagnostics(0), kSuccess);
  EXPECT_EQ(drives_->DisableDiagnostics(0), kSuccess);
  EXPECT_EQ(cdbs(), (std::vector<Bytes>{enterDiagnosticsCdb(), kLeaveDiagnosticsCdb}));
  EXPECT_EQ(enterDiagnosticsCdb().size(), 12u);
}

TEST_F(VendorTest, ReadFFWGivesByteOneOfTheAnswer) {
  script_.answers[kFactorySetting] = {0x11, 0x5A, 0x22, 0x33};
  start(11);
  std::uint8_t setting = 0xEE;
  EXPECT_EQ(drives_->ReadFFW(0, setting), kSuccess);
  EXPECT_EQ(setting, 0x5A);
  EXPECT_EQ(cdbs(), (std::vector<Bytes>{enterDiagnosticsCdb(), kReadFactoryCdb, kLeaveDiagnosticsCdb}));
}

TEST_F(VendorTest, WriteFFWSendsTheValueInByteOne) {
  start(11);
  EXPECT_EQ(drives_->WriteFFW(0, 0x7E), kSuccess);
  EXPECT_EQ(cdbs(), (std::vector<Bytes>{enterDiagnosticsCdb(), kWriteFactoryCdb, kLeaveDiagnosticsCdb}));
  EXPECT_EQ(script_.received[1].data, (Bytes{0x00, 0x7E, 0x00, 0x00}));
}

TEST_F(VendorTest, FactorySettingFailures) {
  struct Case {
    const char* what;
    std::uint8_t refusedOpcode;
    ResultCode result;
    bool failureLogged;
  };
  const Case cases[] = {
      {"diagnostics refused", kEnterDiagnostics, kAspiSendError, true},
      {"access refused", kFactorySetting, kAspiSendError, false},
      {"leaving refused", kLeaveDiagnostics, kSuccess, false},
  };
  struct FactoryOperation {
    const char* failure;
    const Bytes& cdb;
    ResultCode (*call)(DriDrives&);
  };
  const FactoryOperation operations[] = {
      {"Error ReadFFW", kReadFactoryCdb,
       [](DriDrives& d) {
         std::uint8_t setting = 0xEE;
         ResultCode result = d.ReadFFW(0, setting);
         EXPECT_EQ(setting, 0x00);
         return result;
       }},
      {"Error WriteFFW", kWriteFactoryCdb, [](DriDrives& d) { return d.WriteFFW(0, 0x01); }},
  };
  for (const auto& operation : operations) {
    for (const auto& c : cases) {
      script_ = {};
      script_.answers[kFactorySetting] = {0x00, 0x00, 0x00, 0x00};
      script_.refused[c.refusedOpcode] = {1};
      start(11);
      EXPECT_EQ(operation.call(*drives_), c.result) << operation.failure << ": " << c.what;
      // Once the mode is open, it is always closed again.
      std::vector<Bytes> expected{enterDiagnosticsCdb()};
      if (c.refusedOpcode != kEnterDiagnostics) {
        expected.push_back(operation.cdb);
        expected.push_back(kLeaveDiagnosticsCdb);
      }
      EXPECT_EQ(cdbs(), expected) << operation.failure << ": " << c.what;
      EXPECT_EQ(log_.contains(LogLevel::Error, operation.failure), c.failureLogged) << c.what;
    }
  }
}

TEST_F(VendorTest, RefusedDiagnosticsCommandsReportTheFailure) {
  script_.refused[kEnterDiagnostics] = {1};
  script_.refused[kLeaveDiagnostics] = {1};
  start(11);
  EXPECT_EQ(drives_->EnableDiagnostics(0), kAspiSendError);
  EXPECT_EQ(drives_->DisableDiagnostics(0), kAspiSendError);
}

// Drives that are not there.

struct Operation {
  std::string logged;
  ResultCode (*call)(DriDrives&, int);
};

TEST_F(VendorTest, DriveIndexOutsideTheListIsRefused) {
  const Operation operations[] = {
      {"CheckSptiCapable", [](DriDrives& d, int i) { return d.CheckSptiCapable(i, 0xFFFF); }},
      {"ReadSkewVR0804A",
       [](DriDrives& d, int i) {
         std::array<char, 4> text{};
         return d.ReadSkew(i, text);
       }},
      {"ReadEFTIM VR1204A",
       [](DriDrives& d, int i) {
         std::array<char, 4> text{};
         return d.ReadEFTIM(i, text);
       }},
      {"EnableDiagnostics", [](DriDrives& d, int i) { return d.EnableDiagnostics(i); }},
      {"DisableDiagnostics", [](DriDrives& d, int i) { return d.DisableDiagnostics(i); }},
      {"ReadFFW",
       [](DriDrives& d, int i) {
         std::uint8_t setting = 0;
         return d.ReadFFW(i, setting);
       }},
      {"WriteFFW", [](DriDrives& d, int i) { return d.WriteFFW(i, 0); }},
  };
  start(11);
  for (const auto& operation : operations) {
    for (int index : {1, -1}) {
      log_.clear();
      EXPECT_EQ(operation.call(*drives_, index), kInvalidDriveHandle) << operation.logged << " " << index;
      EXPECT_EQ(logTexts(), (std::vector<std::string>{"Invalid drive handle WHILE calling " + operation.logged}));
      EXPECT_EQ(log_.entries().at(0).level, LogLevel::Error);
    }
  }
  EXPECT_TRUE(script_.received.empty());
}

}  // namespace
}  // namespace quillon
