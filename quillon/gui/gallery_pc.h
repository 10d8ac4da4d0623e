#pragma once
// The PC the gallery photographs the wizard on: the default machine's three drives of the
// maker and one drive of another maker, emulated on a virtual clock, and a scratch current
// folder holding the OEM file and firmware files, older and newer than the first drive's own.

#include <memory>
#include <string>

#include "platform/scratch_folder.h"
#include "quillon/drive/test_host.h"
#include "sim/drives/faults.h"

namespace quillon::gallery {

class GalleryPc {
 public:
  // Makes the current folder the PC's; its drives are spun up and past their power-on
  // attention, as when a program starts.
  GalleryPc();
  // Gives the current folder back.
  ~GalleryPc();
  GalleryPc(const GalleryPc&) = delete;
  GalleryPc& operator=(const GalleryPc&) = delete;

  // What the first drive (D:, the VR1204A) does wrong from now on.
  sim::Faults& firstDriveFaults() { return *firstDriveFaults_; }

 private:
  void addMakerDrives();
  void writeFiles() const;

  testing::TestMachine machine_;
  platform::ScratchFolder folder_{"quillon_gallery"};
  std::string previousFolder_;
  std::shared_ptr<sim::Faults> firstDriveFaults_;
};

}  // namespace quillon::gallery
