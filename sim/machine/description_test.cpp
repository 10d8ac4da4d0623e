#include "sim/machine/description.h"

#include <gtest/gtest.h>

#include "sim/machine/platform_versions.h"

namespace sim {
namespace {

using nlohmann::json;

// An XP PC with an IDE channel holding two drives and a SCSI adapter holding one.
json baseMachine() {
  return json::parse(R"({
    "platform": 7, "administrator": true,
    "aspi": {"installed": true}, "cdrManager": {"installed": false},
    "adapters": [{"number": 0, "kind": "ide"}, {"number": 1, "kind": "scsi", "targets": 16}],
    "devices": [
      {"adapter": 0, "target": 0, "letter": "D", "vendor": "VORANTE", "product": "VR1204A", "revision": "2.00",
       "flash": "VR1204A-0200.CVT"},
      {"adapter": 0, "target": 1, "letter": "E", "vendor": "VORANTE", "product": "VR2410A", "revision": "3.00"},
      {"adapter": 1, "target": 12, "lun": 3, "letter": null, "deviceType": 4, "vendor": "VORANTE",
       "product": "VD0804A", "revision": "1.05", "vendorSpecific": "Q042",
       "faults": {"mediumPresent": true, "busyCommands": 2, "timeoutFromCommand": 9}}
    ],
    "firmware": "firmware.json"
  })");
}

std::string faultOf(const json& document) {
  try {
    parseMachine(document);
  } catch (const DescriptionError& error) {
    return error.what();
  }
  return "no fault found";
}

TEST(MachineDescription, ReadsEveryFieldAndFillsTheDefaults) {
  MachineDescription machine = parseMachine(baseMachine());
  EXPECT_EQ(machine.platform, 7);
  ASSERT_TRUE(machine.version);
  EXPECT_EQ(machine.version->build, 2600u);
  EXPECT_TRUE(machine.aspiInstalled);
  EXPECT_EQ(machine.aspiVersion, "4.60");
  EXPECT_FALSE(machine.cdrManagerInstalled);
  ASSERT_EQ(machine.adapters.size(), 2u);
  EXPECT_EQ(machine.adapters[0].identifier, "atapi");
  EXPECT_EQ(machine.adapters[0].targets, 2);
  EXPECT_EQ(machine.adapters[1].identifier, "AIC-7880");
  EXPECT_EQ(machine.adapters[1].targets, 16);
  ASSERT_EQ(machine.devices.size(), 3u);
  const DeviceDescription& first = machine.devices[0];
  EXPECT_EQ(first.letter, 'D');
  EXPECT_EQ(first.deviceType, 5);
  EXPECT_EQ(first.model, "mmc");
  EXPECT_EQ(first.flash, "VR1204A-0200.CVT");
  EXPECT_EQ(machine.devices[1].flash, kBlankFlash);
  const DeviceDescription& scsi = machine.devices[2];
  EXPECT_EQ(scsi.address, (platform::ScsiAddress{1, 0, 12, 3}));
  EXPECT_FALSE(scsi.letter);
  EXPECT_EQ(scsi.deviceType, 4);
  EXPECT_EQ(scsi.identity.vendorSpecific, "Q042");
  EXPECT_TRUE(scsi.faults.mediumPresent);
  EXPECT_EQ(scsi.faults.busyCommands, 2u);
  EXPECT_EQ(scsi.faults.timeoutFromCommand, 9u);
  EXPECT_EQ(machine.firmware, "firmware.json");
  EXPECT_TRUE(machine.autorun);
  EXPECT_FALSE(machine.adapters[0].dma);
  EXPECT_FALSE(first.disturbedBySettings);
}

TEST(MachineDescription, ReadsTheSettingsThatDisturbAFlash) {
  json document = baseMachine();
  document["autorun"] = false;
  document["adapters"][0]["dma"] = true;
  document["devices"][1].update({{"model", "vorante"}, {"disturbedBySettings", true}});
  MachineDescription machine = parseMachine(document);
  EXPECT_FALSE(machine.autorun);
  EXPECT_TRUE(machine.adapters[0].dma);
  EXPECT_TRUE(machine.devices[1].disturbedBySettings);
}

TEST(MachineDescription, TheMakersDrivesTakeTheirTypeFromTheProductUnlessNamed) {
  json document = baseMachine();
  document["devices"][0]["model"] = "vorante";
  document["devices"][1].update({{"model", "vorante"}, {"driveType", 8}, {"skew", "B3"}, {"eftim", "\u0005"},
                                 {"factorySetting", 0x5C}});
  MachineDescription machine = parseMachine(document);
  ASSERT_TRUE(machine.devices[0].vorante);
  EXPECT_EQ(machine.devices[0].vorante->driveType, 6) << "VR1204A";
  EXPECT_EQ(machine.devices[0].vorante->skew, "A7");
  const vorante::DriveSetup& named = *machine.devices[1].vorante;
  EXPECT_EQ(named.driveType, 8);
  EXPECT_EQ(named.skew, "B3");
  EXPECT_EQ(named.eftim, "\x05");
  EXPECT_EQ(named.factorySetting, 0x5C);
  EXPECT_FALSE(machine.devices[2].vorante) << "a plain MMC drive";
}

TEST(MachineDescription, NamesIdeChannelsAsTheWindowsFamilyDoes) {
  json document = baseMachine();
  document["platform"] = 3;
  EXPECT_EQ(parseMachine(document).adapters[0].identifier, "ESDI_506");
  document["adapters"][0]["identifier"] = "Intel PIIX4";
  EXPECT_EQ(parseMachine(document).adapters[0].identifier, "Intel PIIX4");
}

TEST(MachineDescription, AnExplicitVersionOverridesThePlatformCode) {
  json document = baseMachine();
  document["version"] = {{"build", 2800}, {"servicePack", "Service Pack 2"}};
  platform::VersionInfo version = *parseMachine(document).version;
  EXPECT_EQ(version.major, 5u);
  EXPECT_EQ(version.minor, 1u);
  EXPECT_EQ(version.build, 2800u);
  EXPECT_EQ(version.servicePack, "Service Pack 2");
  document["version"] = nullptr;
  EXPECT_FALSE(parseMachine(document).version) << "null: the version query fails";
}

TEST(PlatformVersions, EachCodeReadsBackAsItsPlatform) {
  struct Expected {
    platform::DWORD platformId, major, minor, build;
  };
  const Expected expected[] = {{2, 5, 2, 3790}, {0, 3, 10, 0},   {1, 4, 0, 950},  {1, 4, 10, 1998},
                               {1, 4, 90, 3000}, {2, 4, 0, 1381}, {2, 5, 0, 2195}, {2, 5, 1, 2600}};
  for (int code = kLowestPlatform; code <= kHighestPlatform; ++code) {
    platform::VersionInfo version = versionOfPlatform(code);
    const Expected& want = expected[code];
    EXPECT_EQ(version.platformId, want.platformId) << code;
    EXPECT_EQ(version.major, want.major) << code;
    EXPECT_EQ(version.minor, want.minor) << code;
    // The Windows 95 family repeats major and minor in the high word of the build number.
    EXPECT_EQ(version.build & 0xFFFF, want.build) << code;
    if (version.platformId == 1) {
      EXPECT_EQ(version.build >> 16, want.major << 8 | want.minor) << code;
    }
  }
}

struct Fault {
  const char* patch;  // a JSON Patch applied to the base machine
  const char* message;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.message; }

const Fault kFaults[] = {
    {R"([{"op": "replace", "path": "", "value": []}])", "/: wrong type, expected an object"},
    {R"([{"op": "add", "path": "/colour", "value": "beige"}])", "/colour: unknown key"},
    {R"([{"op": "add", "path": "/a~1b", "value": 1}])", "/a~1b: unknown key"},
    {R"([{"op": "remove", "path": "/platform"}])", "/platform: missing"},
    {R"([{"op": "replace", "path": "/platform", "value": "7"}])", "/platform: wrong type, expected an integer"},
    {R"([{"op": "replace", "path": "/platform", "value": 7.0}])", "/platform: wrong type, expected an integer"},
    {R"([{"op": "replace", "path": "/platform", "value": 8}])", "/platform: out of range, expected 0 to 7"},
    {R"([{"op": "replace", "path": "/platform", "value": -1}])", "/platform: out of range, expected 0 to 7"},
    {R"([{"op": "replace", "path": "/administrator", "value": "yes"}])",
     "/administrator: wrong type, expected true or false"},
    {R"([{"op": "add", "path": "/version", "value": {"major": "5"}}])", "/version/major: wrong type, expected an integer"},
    {R"([{"op": "add", "path": "/version", "value": {"platformId": 3}}])",
     "/version/platformId: out of range, expected 0 to 2"},
    {R"([{"op": "add", "path": "/aspi/version", "value": "4.6"}])", "/aspi/version: expected a version such as 4.60"},
    {R"([{"op": "remove", "path": "/cdrManager/installed"}])", "/cdrManager/installed: missing"},
    {R"([{"op": "replace", "path": "/adapters", "value": {}}])", "/adapters: wrong type, expected an array"},
    {R"([{"op": "replace", "path": "/adapters/1/number", "value": 2}])",
     "/adapters/1/number: expected 1: adapters are numbered in order from 0"},
    {R"([{"op": "replace", "path": "/adapters/0/kind", "value": "usb"}])",
     "/adapters/0/kind: unknown kind usb, expected ide, parallel or scsi"},
    {R"([{"op": "replace", "path": "/adapters/1/targets", "value": 12}])", "/adapters/1/targets: expected 8 or 16"},
    {R"([{"op": "add", "path": "/adapters/0/targets", "value": 8}])",
     "/adapters/0/targets: only a SCSI adapter has a choice of targets"},
    {R"([{"op": "add", "path": "/autorun", "value": 1}])", "/autorun: wrong type, expected true or false"},
    {R"([{"op": "add", "path": "/adapters/1/dma", "value": true}])",
     "/adapters/1/dma: only an IDE channel has bus-master DMA"},
    {R"([{"op": "add", "path": "/adapters/0/dma", "value": "on"}])",
     "/adapters/0/dma: wrong type, expected true or false"},
    {R"([{"op": "add", "path": "/devices/0/disturbedBySettings", "value": true}])",
     "/devices/0/disturbedBySettings: only the maker's own drives (model vorante) have this"},
    {R"([{"op": "add", "path": "/adapters/0/identifier", "value": "A very long adapter"}])",
     "/adapters/0/identifier: longer than 16 characters"},
    {R"([{"op": "add", "path": "/devices/0/colour", "value": "beige"}])", "/devices/0/colour: unknown key"},
    {R"([{"op": "remove", "path": "/devices/1/revision"}])", "/devices/1/revision: missing"},
    {R"([{"op": "replace", "path": "/devices/1/letter", "value": "D"}])",
     "/devices/1/letter: duplicate drive letter D (also /devices/0)"},
    {R"([{"op": "replace", "path": "/devices/0/letter", "value": "d"}])",
     "/devices/0/letter: expected a letter C to Z or null"},
    {R"([{"op": "replace", "path": "/devices/0/letter", "value": "B"}])",
     "/devices/0/letter: expected a letter C to Z or null"},
    {R"([{"op": "add", "path": "/devices/-", "value": {"adapter": 1, "target": 12, "lun": 3, "vendor": "V",
         "product": "P", "revision": "1"}}])",
     "/devices/3/target: duplicate address 1:12:3 (also /devices/2)"},
    {R"([{"op": "add", "path": "/devices/-", "value": {"adapter": 0, "target": 1, "vendor": "V", "product": "P",
         "revision": "1"}}])",
     "/devices/3: more devices than adapter 0 (ide) holds (2)"},
    {R"([{"op": "replace", "path": "/devices/2/adapter", "value": 2}])", "/devices/2/adapter: no adapter 2"},
    {R"([{"op": "replace", "path": "/devices/1/target", "value": 2}])",
     "/devices/1/target: adapter 0 (ide) has targets 0 to 1"},
    {R"([{"op": "replace", "path": "/adapters/1/kind", "value": "parallel"}, {"op": "remove", "path": "/adapters/1/targets"}])",
     "/devices/2/target: adapter 1 (parallel) has targets 0 to 0"},
    {R"([{"op": "add", "path": "/devices/0/lun", "value": 1}])",
     "/devices/0/lun: devices on adapter 0 (ide) answer on LUN 0 only"},
    {R"([{"op": "add", "path": "/devices/0/deviceType", "value": 32}])",
     "/devices/0/deviceType: out of range, expected 0 to 31"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "plextor"}])",
     "/devices/0/model: unknown model plextor, expected one of mmc, vorante"},
    {R"([{"op": "add", "path": "/devices/0/skew", "value": "A7"}])",
     "/devices/0/skew: only the maker's own drives (model vorante) have this"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "vorante"},
         {"op": "replace", "path": "/devices/0/product", "value": "CDRW 4x4"}])",
     "/devices/0/product: CDRW 4x is no model of the maker's; name its driveType"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "vorante"},
         {"op": "replace", "path": "/devices/0/product", "value": "VR4016V"}])",
     "/devices/0/product: VR4016V is drive type 22, which another maker's flasher updates"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "vorante"},
         {"op": "add", "path": "/devices/0/driveType", "value": 27}])",
     "/devices/0/driveType: drive type 27 is updated by another maker's flasher"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "vorante"},
         {"op": "add", "path": "/devices/0/eftim", "value": "01234"}])",
     "/devices/0/eftim: expected up to 4 ASCII characters"},
    {R"([{"op": "add", "path": "/devices/0/model", "value": "vorante"},
         {"op": "add", "path": "/devices/0/factorySetting", "value": 256}])",
     "/devices/0/factorySetting: out of range, expected 0 to 255"},
    {R"([{"op": "replace", "path": "/devices/0/vendor", "value": "VORANTE!!"}])",
     "/devices/0/vendor: longer than 8 characters"},
    {R"([{"op": "replace", "path": "/devices/0/product", "value": "VR1204A\t"}])", "/devices/0/product: not printable ASCII"},
    {R"([{"op": "add", "path": "/devices/2/faults/smoke", "value": true}])", "/devices/2/faults/smoke: unknown key"},
    {R"([{"op": "replace", "path": "/devices/2/faults/busyCommands", "value": -1}])",
     "/devices/2/faults/busyCommands: out of range, expected 0 to 4294967295"},
    {R"([{"op": "replace", "path": "/devices/2/faults/timeoutFromCommand", "value": 0}])",
     "/devices/2/faults/timeoutFromCommand: out of range, expected 1 to 9223372036854775807"},
    {R"([{"op": "add", "path": "/devices/2/faults/failingBlock", "value": 0}])",
     "/devices/2/faults/failingBlock: out of range, expected 1 to 4294967295"},
    {R"([{"op": "add", "path": "/devices/2/faults/corruptReadBackAlways", "value": true}])",
     "/devices/2/faults/corruptReadBackAlways: needs corruptReadBackAt"},
    {R"([{"op": "replace", "path": "/firmware", "value": "../firmware.json"}])",
     "/firmware: expected the name of a file beside machine.json"},
    {R"([{"op": "replace", "path": "/firmware", "value": 3}])",
     "/firmware: wrong type, expected an array of firmware files or a file name"},
};

class MachineDescriptionFault : public ::testing::TestWithParam<Fault> {};

TEST_P(MachineDescriptionFault, IsRefusedWithItsPath) {
  json document = baseMachine().patch(json::parse(GetParam().patch));
  EXPECT_EQ(faultOf(document), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Table, MachineDescriptionFault, ::testing::ValuesIn(kFaults));

}  // namespace
}  // namespace sim
