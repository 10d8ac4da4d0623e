#include "sim/machines/oem_set.h"

#include <gtest/gtest.h>

#include "platform/scratch_folder.h"
#include "quillon/gui/logging.h"
#include "quillon/kernel/oem_file.h"

namespace sim {
namespace {

using nlohmann::json;

TEST(OemSet, WritesAFileTheReaderReadsBack) {
  OemSet set = parseOemSet(json::parse(R"({"keySeed": 5, "records": [
      {"text": "Logo.bmp", "vendor": "VORANTE", "product": "VR1204A", "revisionPattern": "2.**", "driveType": 6}]})"));
  platform::ScratchFolder folder("oem_set_test");
  writeOemSet(set, folder.path().native());
  quillon::LogCapture log;
  quillon::OemReader reader;
  ASSERT_EQ(reader.LoadOemFile(folder.path().native()), quillon::kOemLoaded);
  ASSERT_EQ(reader.list().size(), 1u);
  EXPECT_EQ(reader.list()[0].revisionPattern, "2.**");
  EXPECT_EQ(reader.list()[0].skew, "**");
}

TEST(OemSet, FaultsNameTheirJsonPath) {
  const std::pair<const char*, const char*> cases[] = {
      {R"([])", "/: expected an object"},
      {R"({"key": 1})", "/key: unknown key"},
      {R"({"records": [{"vendor": "V"}]})", "/records/0/driveType: expected"},
      {R"({"records": [{"vendor": 3, "driveType": 1}]})", "/records/0/vendor: wrong type"},
  };
  for (const auto& [text, message] : cases) {
    try {
      parseOemSet(json::parse(text));
      ADD_FAILURE() << text;
    } catch (const DescriptionError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with(message)) << error.what();
    }
  }
}

}  // namespace
}  // namespace sim
