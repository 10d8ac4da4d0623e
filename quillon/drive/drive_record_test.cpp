#include "quillon/drive/drive_record.h"

#include <gtest/gtest.h>

#include <string>

#include "quillon/gui/logging.h"

namespace quillon {
namespace {

struct TrimCase {
  std::string text;
  std::size_t width;
  std::string expected;
};

TEST(TrimRight, RemovesTrailingSpacesWithinTheWidthButNeverTheFirstCharacter) {
  const TrimCase cases[] = {
      {"QUILLON ", 8, "QUILLON"}, {"        ", 8, " "},     {"A  B    ", 8, "A  B"},
      {"NOSPACES", 8, "NOSPACES"}, {"", 8, ""},             {"AB  ", 2, "AB  "},
      {"AB   ", 4, "AB"},         {" ", 1, " "},           {"1.00", 4, "1.00"},
  };
  for (const auto& c : cases) {
    std::array<char, 17> field{};
    setFieldText(field, c.text);
    TrimRight(field, c.width);
    EXPECT_EQ(fieldText(field), c.expected) << '"' << c.text << "\" width " << c.width;
  }
}

TEST(FieldText, CutsWhatDoesNotFitAndAlwaysTerminates) {
  std::array<char, 5> field;
  field.fill('x');
  setFieldText(field, "TOO LONG");
  EXPECT_EQ(fieldText(field), "TOO ");
  EXPECT_EQ(field[4], '\0');
}

TEST(BuildDisplayText, PadsVendorAndProductIntoColumns) {
  DriveRecord record;
  setFieldText(record.vendor, "QUILLON");
  setFieldText(record.product, "CDRW 1204A");
  setFieldText(record.revision, "1.00");
  BuildDisplayText(record);
  EXPECT_EQ(fieldText(record.displayText), "QUILLON CDRW 1204A      1.00");
}

struct ClassCase {
  std::string identifier;
  int adapterClass;
  bool logged;
};

TEST(ClassifyAdapter, TellsIdeAndParallelPortAdaptersFromScsi) {
  const ClassCase cases[] = {
      {"ESDI_506", kAdapterIde, false},       {"esdi_506", kAdapterIde, false},
      {"EPATAPI", kAdapterParallelPort, false}, {"x epatapi", kAdapterParallelPort, false},
      {"ESDI EPATAPI", kAdapterIde, false},   {"AHA-2940", kAdapterScsi, true},
      {"Esdi_506", kAdapterScsi, true},       {"", kAdapterScsi, true},
  };
  for (const auto& c : cases) {
    LogCapture log;
    DriveRecord record;
    setFieldText(record.adapterId, c.identifier);
    ClassifyAdapter(record);
    EXPECT_EQ(record.adapterClass, c.adapterClass) << c.identifier;
    EXPECT_EQ(log.contains(LogLevel::Info, "Adapter <" + c.identifier + "> assumed to be a SCSI adapter"), c.logged)
        << c.identifier;
  }
}

std::vector<DriveRecord> records(std::initializer_list<std::pair<int, std::string>> adapters) {
  std::vector<DriveRecord> list;
  for (const auto& [adapter, identifier] : adapters) {
    DriveRecord record;
    record.hostAdapter = adapter;
    setFieldText(record.adapterId, identifier);
    list.push_back(record);
  }
  return list;
}

std::vector<int> numbered(std::vector<DriveRecord> list) {
  std::vector<int> channels;
  for (std::size_t i = 0; i < list.size(); ++i) {
    NumberChannels(list, i);
    channels.push_back(list[i].channel);
  }
  return channels;
}

TEST(NumberChannels, CountsConsecutiveAdaptersOfOneController) {
  EXPECT_EQ(numbered(records({{0, "ESDI_506"}, {1, "ESDI_506"}})), (std::vector{0, 1}));
  // Two drives on one channel share its ordinal.
  EXPECT_EQ(numbered(records({{0, "ESDI_506"}, {0, "ESDI_506"}, {1, "ESDI_506"}})), (std::vector{0, 0, 1}));
  EXPECT_EQ(numbered(records({{0, "ESDI_506"}, {1, "AHA-2940"}, {2, "AHA-2940"}})), (std::vector{0, 0, 1}));
  EXPECT_EQ(numbered(records({{1, "ESDI_506"}, {0, "ESDI_506"}})), (std::vector{0, 0}));
}

}  // namespace
}  // namespace quillon
