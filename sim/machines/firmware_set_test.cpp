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

TEST(FirmwareSet, FaultsNameTheirJsonPath) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({})", "/: expected an array"},
      {R"([{"file": "a", "model": "VR1204A", "colour": 1}])", "/0/colour: unknown key"},
      {R"([{"model": "VR1204A"}])", "/0/file: missing"},
      {R"([{"file": "a", "model": 7}])", "/0/model: wrong type"},
      {R"([{"file": "a", "model": "VR1204A", "size": -1}])", "/0/size: wrong type"},
      {R"([{"file": "a", "model": "VR1204A"}, {"file": "a", "model": "VR1204A"}])", "/1/file: duplicate name"},
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
