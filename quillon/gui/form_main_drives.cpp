// The drive page of TFormMain: the tree of supported and unsupported drives, built once per
// run, and the rule that only a supported drive can be the selection.

#include <fmt/format.h>

#include "platform/forms.h"
#include "quillon/firmware/model_table.h"
#include "quillon/gui/form_main.h"

namespace quillon {
namespace {

using platform::forms::TreeNode;
using platform::forms::TreeView;

constexpr int kGuiSelectDrive = 13;
constexpr int kGuiSupportedFound = 17;
constexpr int kGuiUnsupportedFound = 18;
constexpr int kGuiNoSupportedFound = 19;

constexpr int kGroupState = 0;
constexpr int kSupportedState = 1;
constexpr int kUnsupportedState = 2;

}  // namespace

// A node's data is its drive's index plus one; group nodes carry 0.
DriveRecord* TFormMain::driveOf(const TreeNode* node) const {
  if (!node || node->data() <= 0 || node->data() > driveCount_ || !drives_) return nullptr;
  return &drives_[node->data() - 1];
}

void TFormMain::BuildDriveTree() {
  showButtons(false, true, true);
  control("ButNext").setEnabled(selectedNode_ != nullptr);
  form_.setCaption(text(kGuiSelectDrive));
  if (treeBuilt_) return;
  int supported = 0;
  for (int drive = 0; drive < driveCount_; ++drive) supported += drives_[drive].supported == 1 ? 1 : 0;
  int unsupported = driveCount_ - supported;
  TreeView& tree = form_.get<TreeView>("DrvTree");
  tree.clear();
  if (supported == 0) {
    tree.addNode(nullptr, text(kGuiNoSupportedFound));
  } else {
    TreeNode& group = tree.addNode(nullptr, text(kGuiSupportedFound));
    group.setStateIndex(kGroupState);
    addDriveNodes(group, true, supported);
  }
  tree.expandAll();
  if (unsupported > 0) addDriveNodes(tree.addNode(nullptr, text(kGuiUnsupportedFound)), false, unsupported);
  treeBuilt_ = true;
}

void TFormMain::addDriveNodes(TreeNode& group, bool supported, int count) {
  TreeView& tree = group.tree();
  for (int drive = 0; drive < driveCount_; ++drive) {
    if ((drives_[drive].supported == 1) != supported) continue;
    TreeNode& node = tree.addNode(&group, DriveText(drives_[drive]), drive + 1);
    node.setImageIndex(-1);
    node.setStateIndex(supported ? kSupportedState : kUnsupportedState);
    if (supported && count == 1) tree.setSelected(&node);
  }
}

std::string TFormMain::DriveText(const DriveRecord& drive) const {
  std::string letter = fmt::format("({}:)", drive.driveLetter);
  if (IsCombinedDrive(drive.driveType))
    return fmt::format("{} {} {}, V{}/V{}, {}:{}:{}", letter, fieldText(drive.vendor), fieldText(drive.product),
                       fieldText(drive.revision), fieldText(drive.vendorSpecific), drive.hostAdapter, drive.target,
                       drive.lun);
  return fmt::format("{} {} {}, V{}, {}:{}:{}", letter, fieldText(drive.vendor), fieldText(drive.product),
                     fieldText(drive.revision), drive.hostAdapter, drive.target, drive.lun);
}

void TFormMain::TreeSelect(TreeNode* node) {
  if (!node) return;
  const DriveRecord* drive = driveOf(node);
  if (drive && drive->supported == 1) {
    if (node != selectedNode_) {
      selectedNode_ = node;
      firmwareTableRead_ = false;
    }
    node->setImageIndex(-1);
    control("ButNext").setEnabled(true);
    return;
  }
  TreeView& tree = node->tree();
  tree.setSelected(nullptr);
  if (selectedNode_) tree.setSelected(selectedNode_);
}

}  // namespace quillon
