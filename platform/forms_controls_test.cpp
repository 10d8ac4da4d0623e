#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/forms_headless.h"

namespace platform::forms {
namespace {

// A page panel holding a list, a tree and a group box with a button and an edit.
class Page : public ::testing::Test {
 protected:
  Page() {
    form_.add<ListBox>("List", {8, 8, 200, 80}, "Page");
    form_.add<TreeView>("Tree", {8, 96, 200, 120}, "Page");
    form_.add(ControlKind::GroupBox, "Group", {8, 220, 300, 60}, "Page");
    form_.add(ControlKind::Button, "Browse", {8, 20, 80, 24}, "Group");
    form_.add<Edit>("Folder", {96, 20, 190, 24}, "Group").setReadOnly(true);
  }
  ListBox& list() { return form_.get<ListBox>("List"); }
  TreeView& tree() { return form_.get<TreeView>("Tree"); }

  HeadlessFrontEnd headless_;
  ScopedFrontEnd useHeadless_{headless_};
  Form form_{"FormMain", "Wizard", 480, 360};
  Control& page_ = form_.add(ControlKind::Panel, "Page", {0, 0, 480, 300});
};

TEST_F(Page, ControlsOfAHiddenPanelDoNotShowAndTakeNoInput) {
  list().setLines({"a.cvt", "b.cvt"});
  TreeNode& node = tree().addNode(nullptr, "(D:)");
  Control& browse = form_.control("Browse");
  page_.setVisible(false);
  EXPECT_TRUE(browse.visible());
  EXPECT_FALSE(browse.showing());
  EXPECT_FALSE(browse.click());
  EXPECT_FALSE(list().clickLine(0));
  EXPECT_FALSE(tree().select(node));
  EXPECT_EQ(list().selected(), -1);
  EXPECT_EQ(tree().selected(), nullptr);
  page_.setVisible(true);
  EXPECT_TRUE(browse.click());
  EXPECT_TRUE(tree().select(node));
}

TEST_F(Page, ADisabledContainerDisablesWhatItHolds) {
  form_.control("Group").setEnabled(false);
  EXPECT_TRUE(form_.control("Browse").showing());
  EXPECT_FALSE(form_.control("Browse").usable());
  EXPECT_FALSE(form_.control("Browse").click());
  EXPECT_TRUE(list().usable());
}

TEST_F(Page, AddingChecksNamesParentsAndKinds) {
  EXPECT_THROW(form_.add(ControlKind::Label, "List", {}), std::invalid_argument);
  EXPECT_THROW(form_.add(ControlKind::Label, "Inside", {}, "Browse"), std::invalid_argument);
  EXPECT_THROW(form_.add(ControlKind::Label, "Inside", {}, "Nowhere"), std::out_of_range);
  EXPECT_THROW(form_.get<TreeView>("List"), std::invalid_argument);
  form_.add(ControlKind::ProgressBar, "Bar", {}, "Page");
  EXPECT_EQ(form_.get<ProgressBar>("Bar").max(), 100);
  EXPECT_EQ(form_.control("Folder").parent(), &form_.control("Group"));
  EXPECT_EQ(form_.control("Group").parent(), &page_);
}

TEST_F(Page, AClickOnALineSelectsItBeforeTheHandlerRuns) {
  list().setLines({"a.cvt   V1.00    2003-01-01", "b.cvt   V1.10    2003-02-01"});
  std::vector<int> seen;
  list().onClick([&] { seen.push_back(list().selected()); });
  list().setSelected(0);
  EXPECT_TRUE(seen.empty()) << "the program's selection is no click";
  EXPECT_TRUE(list().clickLine(1));
  EXPECT_FALSE(list().clickLine(2));
  EXPECT_FALSE(list().clickLine(-1));
  EXPECT_EQ(seen, std::vector<int>{1});
  EXPECT_EQ(list().selected(), 1);
  EXPECT_THROW(list().setSelected(2), std::out_of_range);
  list().addLine("c.cvt");
  EXPECT_EQ(list().selected(), -1);
  EXPECT_EQ(list().lines().size(), 3u);
  list().clear();
  EXPECT_TRUE(list().lines().empty());
}

// A drive tree whose change handler keeps the last supported drive selected, taking back
// a click on a group or an unsupported drive.
class DriveTree : public Page {
 protected:
  DriveTree() {
    supported_ = &tree().addNode(nullptr, "Supported Drives found:");
    supported_->setStateIndex(0);
    first_ = &addDrive(supported_, "(D:) first", 0, 1);
    second_ = &addDrive(supported_, "(E:) second", 1, 1);
    tree().expandAll();
    unsupported_ = &tree().addNode(nullptr, "Non Supported Drives found:");
    other_ = &addDrive(unsupported_, "(F:) other", 2, 2);
    tree().onChange([this](TreeNode* node) { changed(node); });
  }
  TreeNode& addDrive(TreeNode* group, const char* text, int index, int state) {
    TreeNode& node = tree().addNode(group, text, index);
    node.setStateIndex(state);
    return node;
  }
  void changed(TreeNode* node) {
    events_.push_back(node);
    if (!node) return;
    if (node->stateIndex() == 1) {
      drive_ = node;
      return;
    }
    tree().setSelected(nullptr);
    if (drive_) tree().setSelected(drive_);
  }

  TreeNode* supported_;
  TreeNode* first_;
  TreeNode* second_;
  TreeNode* unsupported_;
  TreeNode* other_;
  TreeNode* drive_ = nullptr;
  std::vector<TreeNode*> events_;
};

TEST_F(DriveTree, NodesKeepTheirPlaceDataAndPictures) {
  EXPECT_EQ(tree().topLevel(), (std::vector<TreeNode*>{supported_, unsupported_}));
  EXPECT_EQ(supported_->children(), (std::vector<TreeNode*>{first_, second_}));
  EXPECT_EQ(other_->parent(), unsupported_);
  EXPECT_EQ(second_->data(), 1);
  EXPECT_EQ(second_->imageIndex(), -1);
  EXPECT_EQ(other_->stateIndex(), 2);
  EXPECT_TRUE(supported_->expanded());
  EXPECT_FALSE(unsupported_->expanded()) << "added after the expansion";
  EXPECT_EQ(tree().findNode("(E:) second"), second_);
  EXPECT_EQ(tree().findNode("(G:)"), nullptr);
}

TEST_F(DriveTree, EveryChangeOfTheSelectionRunsTheHandlerOnce) {
  EXPECT_TRUE(tree().select(*first_));
  EXPECT_TRUE(tree().select(*first_));
  tree().setSelected(second_);
  EXPECT_EQ(events_, (std::vector<TreeNode*>{first_, second_}));
  EXPECT_EQ(tree().selected(), second_);
}

TEST_F(DriveTree, AClickOnAGroupOrAnUnsupportedDriveGivesBackThePreviousDrive) {
  tree().select(*first_);
  events_.clear();
  tree().select(*other_);
  EXPECT_EQ(events_, (std::vector<TreeNode*>{other_, nullptr, first_}));
  EXPECT_EQ(tree().selected(), first_);
  tree().select(*supported_);
  EXPECT_EQ(tree().selected(), first_);
}

TEST_F(DriveTree, WithNoDriveBeforeAClickOnAGroupLeavesNothingSelected) {
  tree().select(*unsupported_);
  EXPECT_EQ(events_, (std::vector<TreeNode*>{unsupported_, nullptr}));
  EXPECT_EQ(tree().selected(), nullptr);
}

TEST_F(DriveTree, ClearingDropsTheSelectionFirst) {
  tree().select(*second_);
  tree().clear();
  EXPECT_EQ(events_.back(), nullptr);
  EXPECT_EQ(tree().selected(), nullptr);
  EXPECT_TRUE(tree().topLevel().empty());
  tree().addNode(nullptr, "No Supported Drives found:");
  EXPECT_EQ(tree().topLevel().size(), 1u);
}

TEST_F(DriveTree, NodesOfAnotherTreeAreRefused) {
  TreeView& another = form_.add<TreeView>("Another", {});
  TreeNode& stranger = another.addNode(nullptr, "stranger");
  EXPECT_THROW(tree().setSelected(&stranger), std::invalid_argument);
  EXPECT_THROW(tree().addNode(&stranger, "child"), std::invalid_argument);
}

TEST_F(DriveTree, ADisabledTreeTakesNoClick) {
  tree().setEnabled(false);
  EXPECT_FALSE(tree().select(*first_));
  EXPECT_TRUE(events_.empty());
  tree().setSelected(first_);
  EXPECT_EQ(events_, std::vector<TreeNode*>{first_}) << "the program still selects";
}

TEST_F(Page, ProgressStaysInsideItsRange) {
  struct Case {
    int min, max, set, expected;
  };
  const Case cases[] = {{0, 400, 0, 0},   {0, 400, 401, 400}, {0, 400, -1, 0},
                        {0, 400, 400, 400}, {10, 20, 5, 10},   {10, 20, 15, 15}};
  ProgressBar& bar = form_.add<ProgressBar>("Bar", {}, "Page");
  for (const Case& c : cases) {
    bar.setRange(c.min, c.max);
    bar.setPosition(c.set);
    EXPECT_EQ(bar.position(), c.expected) << c.min << ".." << c.max << " set " << c.set;
  }
  bar.setRange(0, 400);
  bar.setPosition(300);
  bar.setRange(0, 100);
  EXPECT_EQ(bar.position(), 100);
  EXPECT_THROW(bar.setRange(5, 4), std::invalid_argument);
  EXPECT_EQ(bar.min(), 0);
}

TEST_F(Page, ReadOnlyEditsTakeNoTypingButTheProgramsText) {
  Edit& folder = form_.get<Edit>("Folder");
  EXPECT_FALSE(folder.type("/elsewhere"));
  folder.setText("/home/user/firmware");
  EXPECT_EQ(folder.text(), "/home/user/firmware");
  folder.setReadOnly(false);
  EXPECT_TRUE(folder.type("/elsewhere"));
  EXPECT_EQ(folder.text(), "/elsewhere");
  page_.setVisible(false);
  EXPECT_FALSE(folder.type("/hidden"));
}

TEST_F(Page, ACheckBoxClickTurnsItOver) {
  CheckBox& box = form_.add<CheckBox>("Keep", {}, "Page");
  int clicks = 0;
  box.onClick([&] { ++clicks; });
  box.click();
  EXPECT_TRUE(box.checked());
  box.click();
  EXPECT_FALSE(box.checked());
  box.setEnabled(false);
  EXPECT_FALSE(box.click());
  EXPECT_FALSE(box.checked());
  EXPECT_EQ(clicks, 2);
}

// Front ends learn of every change through the observer, named by the control that changed.
class Recorder final : public FormObserver {
 public:
  void controlChanged(const Control& control) override { names.push_back(control.name()); }
  void timerChanged(const Timer&) override {}
  void formChanged(const Form&) override {}
  std::vector<std::string> names;
};

TEST_F(Page, EveryChangeReachesTheObserverAsItsControl) {
  TreeNode& node = tree().addNode(nullptr, "node");
  form_.add<ProgressBar>("Bar", {});
  form_.add<Image>("Logo", {});
  form_.add<CheckBox>("Keep", {});
  list().setLines({"line"});
  struct Change {
    const char* control;
    std::function<void()> make;
  };
  const Change changes[] = {
      {"Tree", [&] { node.setImageIndex(3); }},
      {"Tree", [&] { node.setStateIndex(1); }},
      {"Tree", [&] { node.setText("renamed"); }},
      {"Tree", [&] { node.setData(7); }},
      {"Tree", [&] { node.setExpanded(true); }},
      {"Tree", [&] { tree().addNode(&node, "child"); }},
      {"Tree", [&] { tree().setSelected(&node); }},
      {"List", [&] { list().setSelected(0); }},
      {"List", [&] { list().addLine("another"); }},
      {"Bar", [&] { form_.get<ProgressBar>("Bar").setPosition(3); }},
      {"Logo", [&] { form_.get<Image>("Logo").setPicture("logo.png"); }},
      {"Folder", [&] { form_.get<Edit>("Folder").setReadOnly(false); }},
      {"Keep", [&] { form_.get<CheckBox>("Keep").setChecked(true); }},
      {"Page", [&] { page_.setVisible(false); }},
  };
  Recorder recorder;
  form_.setObserver(&recorder);
  for (const Change& change : changes) {
    recorder.names.clear();
    change.make();
    EXPECT_EQ(recorder.names, std::vector<std::string>{change.control}) << change.control;
  }
  form_.setObserver(nullptr);
}

}  // namespace
}  // namespace platform::forms
