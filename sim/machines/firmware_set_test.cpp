#include "sim/machines/firmware_set.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using nlohmann::json;

TEST(FirmwareSet, ReadsEveryOptionOfAnEntry) {
  auto files = parseFirmwareSet(json::parse(R"([{"file": "a.CVT", "model": "VR1204A", "revision": "2.10",
      "form": "A", "ext": true, "size": 1024, "fill": "00FF", "badLinear": true, "badRotated": true}])"));
  ASSERT_EQ(files.size(), 1u);
  const FirmwareSpec& spec = files[0].spec;
  EXPECT_EQ(files[0].name, "a.CVT");
  EXPECT_EQ(spec.revision, "2.10");
  EXPECT_EQ(spec.form, 'A');
  EXPECT_TRUE(spec.ext && spec.badLinear && spec.badRotated);
  EXPECT_EQ(spec.size, 1024u);
  EXPECT_EQ(spec.fill, (std::vector<std::uint8_t>{0x00, 0xFF}));
}

TEST(FirmwareSet, CombinedAndDualFilesHaveTheirSecondPartWrittenAfterTheFirst) {
  auto files = parseFirmwareSet(json::parse(R"([
      {"file": "c.CVT", "model": "VC1608A", "revision": "1.20", "dvd": {"model": "VC1608A", "revision": "1.21"}},
      {"file": "d.CVT", "model": "VR1204A", "revision": "2.20", "second": {"model": "VR1204A", "revision": "2.21"}}])"));
  ASSERT_EQ(files.size(), 2u);
  ASSERT_TRUE(files[0].dvdPart && files[1].secondHalf);
  EXPECT_EQ(files[0].dvdPart->revision, "1.21");
  EXPECT_EQ(files[1].secondHalf->revision, "2.21");
  EXPECT_FALSE(files[0].secondHalf || files[1].dvdPart);
}

TEST(FirmwareSet, FaultsNameTheirJsonPath) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({})", "/: expected an array"},
      {R"([{"file": "a", "model": "VR1204A", "colour": 1}])", "/0/colour: unknown key"},
      {R"([{"model": "VR1204A"}])", "/0/file: missing"},
      {R"([{"file": "a", "model": 7}])", "/0/model: wrong type"},
      {R"([{"file": "a", "model": "VR1204A", "size": -1}])", "/0/size: wrong type"},
      {R"([{"file": "a", "model": "VR1204A"}, {"file": "a", "model": "VR1204A"}])", "/1/file: duplicate name"},
      {R"([{"file": "a", "model": "VC1608A", "dvd": {"model": "VC1608A", "file": "b"}}])", "/0/dvd/file: unknown key"},
      {R"([{"file": "a", "model": "VC1608A", "dvd": {}}])", "/0/dvd/model: missing"},
      {R"([{"file": "a", "model": "VR1204A", "dvd": {"model": "X"}, "second": {"model": "X"}}])",
       "/0: a file is combined"},
  };
  for (const auto& [text, message] : cases) {
    try {
      parseFirmwareSet(json::parse(text));
      ADD_FAILURE() << text;
    } catch (const DescriptionError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with(message)) << error.what();
    }
  }
}

}  // namespace
}  // namespace sim
