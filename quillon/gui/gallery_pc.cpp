#include "quillon/gui/gallery_pc.h"

#include <stdexcept>
#include <vector>

#include "platform/files.h"
#include "quillon/firmware/model_table.h"
#include "quillon/kernel/oem_file.h"
#include "sim/drives/vorante/vorante_personality.h"
#include "sim/fixtures/firmware_builder.h"
#include "sim/fixtures/oem_builder.h"

namespace quillon::gallery {
namespace {

struct MakerDrive {
  platform::ScsiAddress address;
  char letter;
  const char* product;
  const char* revision;
  int driveType;
  const char* allowedRevisions;
};

// As on the default machine, but for the first drive's revision: with 2.10 the firmware page
// offers an older file as well as a newer one.
constexpr MakerDrive kMakerDrives[] = {
    {{0, 0, 0, 0}, 'D', "VR1204A", "2.10", 6, "2.**"},
    {{0, 0, 1, 0}, 'E', "VR2410A", "3.00", 16, "3.0*"},
    {{1, 0, 4, 0}, 'F', "VD0804A", "1.05", 32, "1.**"},
};

struct FirmwareFile {
  const char* name;
  const char* model;
  const char* revision;
};

constexpr FirmwareFile kFirmwareFiles[] = {
    {"VR1204A-0200.CVT", "VR1204A", "2.00"}, {"VR1204A-0210.CVT", "VR1204A", "2.10"},
    {"VR1204A-0220.CVT", "VR1204A", "2.20"}, {"VR2410A-0305.CVT", "VR2410A", "3.05"},
    {"VD0804A-0110.CVT", "VD0804A", "1.10"},
};

constexpr std::uint32_t kOemKeySeed = 20011;

sim::OemEntry oemEntry(const MakerDrive& drive) {
  sim::OemEntry entry;
  entry.vendor = "VORANTE";
  entry.product = drive.product;
  entry.revisionPattern = drive.allowedRevisions;
  entry.driveType = static_cast<std::uint32_t>(drive.driveType);
  return entry;
}

sim::FirmwareSpec firmwareSpec(const FirmwareFile& file) {
  for (const ModelRow& row : kModelTable) {
    if (modelIdentifier(row) != file.model) continue;
    sim::FirmwareSpec spec;
    spec.model = file.model;
    spec.revision = file.revision;
    spec.ext = row.condition == ExtCondition::ExtOn;
    return spec;
  }
  throw std::invalid_argument(std::string("no model table row for ") + file.model);
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (platform::writeWholeFile(path, bytes) != platform::FileError::None)
    throw std::runtime_error("cannot write " + path);
}

}  // namespace

GalleryPc::GalleryPc() : previousFolder_(platform::currentFolder().value_or(".")) {
  machine_.bus().addAdapter(0, "atapi", 2);
  machine_.bus().addAdapter(1, "AIC-7880");
  addMakerDrives();
  machine_.bus().addDrive({1, 0, 5, 0}, 'G', {"OTHERCO", "DVD-ROM 16X", "1.10", ""});
  writeFiles();
  platform::setCurrentFolder(folder_.path().native());
  machine_.settle();
}

GalleryPc::~GalleryPc() { platform::setCurrentFolder(previousFolder_); }

// The flashes start erased: a drive reports the revision it was made with until it is flashed.
void GalleryPc::addMakerDrives() {
  for (const MakerDrive& drive : kMakerDrives) {
    auto faults = std::make_shared<sim::Faults>();
    if (!firstDriveFaults_) firstDriveFaults_ = faults;
    auto flash = std::make_shared<sim::vorante::MemoryFlash>(
        std::vector<std::uint8_t>(sim::vorante::profileOf(drive.driveType).flashSize(), 0xFF));
    machine_.bus().addDrive(drive.address, drive.letter, {"VORANTE", drive.product, drive.revision, ""}, {},
                            std::make_unique<sim::vorante::VorantePersonality>(
                                sim::vorante::DriveSetup{.driveType = drive.driveType}, flash, faults));
  }
}

void GalleryPc::writeFiles() const {
  std::vector<sim::OemEntry> entries;
  for (const MakerDrive& drive : kMakerDrives) entries.push_back(oemEntry(drive));
  writeFile(folder_.file(kOemFileName), sim::buildOemFile(sim::keyFromSeed(kOemKeySeed), entries));
  for (const FirmwareFile& file : kFirmwareFiles)
    writeFile(folder_.file(file.name), sim::buildFirmware(firmwareSpec(file)));
}

}  // namespace quillon::gallery
