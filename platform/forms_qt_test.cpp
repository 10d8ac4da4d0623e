#include "platform/forms_qt.h"

#include "platform/scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

namespace platform::forms {
namespace {

// One application for all tests, on the offscreen platform: no display needed. It goes
// after the last test, not among the exit handlers: by then Qt's own statics are gone.
class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_.emplace(true); }
  void TearDown() override { app_.reset(); }

 private:
  std::optional<QtApplication> app_;
};
// Google Test owns its environments.
const auto* const environment = ::testing::AddGlobalTestEnvironment(std::make_unique<QtEnvironment>().release());

class QtForms : public ::testing::Test {
 protected:
  std::string picturePath() const { return scratch_.file("picture.png"); }
  platform::ScratchFolder scratch_{"forms_qt_test"};
  QtForms() {
    Control& ok = form_.add(ControlKind::Button, "ButOk", {10, 60, 75, 25});
    ok.setText("&Ok");
    ok.onClick([this] { form_.setModalResult(mrOk); });
    form_.add(ControlKind::Label, "LabTxt", {10, 10, 280, 40}).setText("Zurück à l'écran");
  }
  QtFrontEnd qt_;
  ScopedFrontEnd useQt_{qt_};
  Form form_{"FormPopUp", "Message PopUp", 300, 100};
};

TEST_F(QtForms, AClickOnTheWidgetEndsTheModalLoopWithTheControlsResult) {
  QTimer::singleShot(0, [] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible())
        dialog->findChild<QPushButton*>("ButOk")->click();
  });
  EXPECT_EQ(form_.showModal(), mrOk);
}

TEST_F(QtForms, WidgetsCarryTheControlNamesAndFollowTheModel) {
  ASSERT_TRUE(qt_.renderPng(form_, picturePath()));
  QImage picture(QString::fromStdString(picturePath()));
  EXPECT_EQ(picture.width(), 300);
  EXPECT_EQ(picture.height(), 100);
  QDialog* dialog = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "FormPopUp") dialog = qobject_cast<QDialog*>(top);
  ASSERT_NE(dialog, nullptr);
  auto* button = dialog->findChild<QPushButton*>("ButOk");
  ASSERT_NE(button, nullptr);
  form_.control("ButOk").setText("E&xit");
  form_.control("ButOk").setEnabled(false);
  EXPECT_EQ(button->text(), "E&xit");
  EXPECT_FALSE(button->isEnabled());
}

TEST_F(QtForms, MessageBoxPicturesAreRendered) {
  ASSERT_TRUE(QtFrontEnd::renderMessageBoxPng("No drive selected", "Error", MB_OK | MB_ICONERROR, picturePath()));
  QImage picture(QString::fromStdString(picturePath()));
  EXPECT_GT(picture.width(), 100);
  EXPECT_GT(picture.height(), 50);
}

QDialog* dialogNamed(const QString& name) {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == name) return qobject_cast<QDialog*>(top);
  return nullptr;
}

// A wizard page of every kind of control, and a second page that starts hidden.
class QtWizard : public QtForms {
 protected:
  QtWizard() {
    QImage logo(32, 24, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    logo.save(QString::fromStdString(scratch_.file("logo.png")), "PNG");
    wizard_.add(ControlKind::Panel, "P3", {0, 0, 480, 320});
    wizard_.add(ControlKind::Panel, "P4", {0, 0, 480, 320}).setVisible(false);
    wizard_.add(ControlKind::Label, "P4L1", {8, 8, 200, 20}, "P4").setText("Selected Settings");
    wizard_.add(ControlKind::Bevel, "Bevel1", {0, 324, 480, 2});
    wizard_.add(ControlKind::Memo, "Memo", {240, 8, 232, 60}, "P3").setText("read me");
    wizard_.add(ControlKind::Button, "ButNext", {390, 330, 80, 24}).setText("&Next >");
    wizard_.add<CheckBox>("Keep", {240, 76, 200, 20}, "P3").setText("Keep");
    wizard_.add<Image>("Logo", {400, 260, 32, 24}, "P3").setPicture(scratch_.file("logo.png"));
    wizard_.add<Image>("Icon1", {440, 260, 32, 24}, "P3").setVisible(false);
    ListBox& list = wizard_.add<ListBox>("P3SelList", {8, 8, 220, 80}, "P3");
    list.setLines({"A.CVT   V1.00    01.02.2003", "B.CVT   V1.10    01.03.2003"});
    list.setSelected(1);
    wizard_.add(ControlKind::GroupBox, "P3GrpBox", {8, 200, 464, 56}, "P3").setText("Current location");
    Edit& folder = wizard_.add<Edit>("EdtCurLoc", {8, 20, 300, 24}, "P3GrpBox");
    folder.setReadOnly(true);
    folder.setText("/home/user/firmware");
    ProgressBar& bar = wizard_.add<ProgressBar>("P6ProgBar", {8, 270, 300, 16}, "P3");
    bar.setRange(0, 400);
    bar.setPosition(100);
    buildTree(wizard_.add<TreeView>("DrvTree", {8, 96, 220, 100}, "P3"));
  }
  void buildTree(TreeView& tree) {
    TreeNode& group = tree.addNode(nullptr, "Supported Drives found:");
    group.setStateIndex(0);
    tree.addNode(&group, "(D:) first", 0).setStateIndex(1);
    tree.addNode(&group, "(E:) second", 1).setStateIndex(1);
    tree.expandAll();
    tree.addNode(nullptr, "Non Supported Drives found:").setStateIndex(0);
    tree.setSelected(tree.findNode("(E:) second"));
  }
  template <class Widget>
  Widget* widget(const char* name) {
    QDialog* dialog = dialogNamed("FormMain");
    return dialog ? dialog->findChild<Widget*>(name) : nullptr;
  }
  Form wizard_{"FormMain", "Select the Firmware File", 480, 360};
};

TEST_F(QtWizard, EveryKindOfControlHasItsWidgetAndFollowsTheModel) {
  ASSERT_TRUE(qt_.renderPng(wizard_, picturePath()));
  EXPECT_EQ(QImage(QString::fromStdString(picturePath())).size(), QSize(480, 360));
  const char* names[] = {"P3", "P4", "P4L1", "Bevel1", "Memo", "ButNext", "Keep", "Logo", "Icon1",
                         "P3SelList", "P3GrpBox", "EdtCurLoc", "P6ProgBar", "DrvTree"};
  for (const char* name : names) EXPECT_NE(widget<QWidget>(name), nullptr) << name;
  QDialog* dialog = dialogNamed("FormMain");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(widget<QPlainTextEdit>("Memo")->toPlainText(), "read me");
  EXPECT_EQ(widget<QCheckBox>("Keep")->text(), "Keep");
  EXPECT_EQ(widget<QGroupBox>("P3GrpBox")->title(), "Current location");
  EXPECT_FALSE(widget<QLabel>("Logo")->pixmap().isNull());
  EXPECT_FALSE(widget<QLabel>("Icon1")->isVisibleTo(dialog));

  auto* edit = widget<QLineEdit>("EdtCurLoc");
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->text(), "/home/user/firmware");
  EXPECT_EQ(edit->parentWidget(), widget<QGroupBox>("P3GrpBox"));

  auto* list = widget<QListWidget>("P3SelList");
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 1);
  wizard_.get<ListBox>("P3SelList").setLines({"C.CVT   V2.00    01.04.2003"});
  EXPECT_EQ(list->count(), 1);
  EXPECT_EQ(list->currentRow(), -1);

  auto* tree = widget<QTreeWidget>("DrvTree");
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
  EXPECT_FALSE(tree->topLevelItem(1)->isExpanded());
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
  EXPECT_FALSE(tree->topLevelItem(0)->child(1)->icon(0).isNull());
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem()->text(0), "(E:) second");
  wizard_.get<TreeView>("DrvTree").setSelected(nullptr);
  EXPECT_EQ(tree->currentItem(), nullptr);

  auto* bar = widget<QProgressBar>("P6ProgBar");
  EXPECT_EQ(bar->maximum(), 400);
  wizard_.get<ProgressBar>("P6ProgBar").setPosition(250);
  EXPECT_EQ(bar->value(), 250);

  EXPECT_FALSE(widget<QLabel>("P4L1")->isVisibleTo(dialog));
  wizard_.control("P3").setVisible(false);
  wizard_.control("P4").setVisible(true);
  EXPECT_TRUE(widget<QLabel>("P4L1")->isVisibleTo(dialog));
  EXPECT_FALSE(edit->isVisibleTo(dialog));
  ASSERT_TRUE(qt_.renderPng(wizard_, picturePath()));
}

TEST_F(QtWizard, AUsersChoiceInAWidgetReachesTheModel) {
  TreeView& drives = wizard_.get<TreeView>("DrvTree");
  TreeNode* first = drives.findNode("(D:) first");
  // Clicking a group gives back the drive selected before.
  drives.onChange([&](TreeNode* node) {
    if (node && node->stateIndex() == 0) drives.setSelected(first);
  });
  int clicks = 0;
  wizard_.get<ListBox>("P3SelList").onClick([&] { ++clicks; });
  ASSERT_TRUE(qt_.renderPng(wizard_, picturePath()));

  widget<QListWidget>("P3SelList")->setCurrentRow(0);
  EXPECT_EQ(wizard_.get<ListBox>("P3SelList").selected(), 0);
  EXPECT_EQ(clicks, 1);

  auto* tree = widget<QTreeWidget>("DrvTree");
  tree->setCurrentItem(tree->topLevelItem(1));
  QApplication::processEvents();
  EXPECT_EQ(drives.selected(), first);
  EXPECT_EQ(tree->currentItem()->text(0), "(D:) first");

  widget<QCheckBox>("Keep")->click();
  EXPECT_TRUE(wizard_.get<CheckBox>("Keep").checked());
}

// The folder dialog, driven from inside its own modal loop.
class QtBrowse : public QtForms {
 protected:
  QtBrowse() {
    std::filesystem::create_directories(withFile_);
    std::filesystem::create_directories(empty_);
    std::ofstream(withFile_ + "/A.CVT") << "firmware";
  }
  static std::string count(const std::string& folder) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.is_regular_file();
    return std::to_string(files);
  }
  std::optional<std::string> browse(std::function<void(QDialog&)> user) {
    QTimer::singleShot(0, [user] {
      if (QDialog* dialog = dialogNamed("BrowseForFolder")) user(*dialog);
    });
    return BrowseForFolder("Please select folder", withFile_, [](const std::string& folder) {
      std::string files = count(folder);
      return FolderStatus{files + " found", files != "0"};
    });
  }
  static void select(QDialog& dialog, const std::string& folder) {
    auto* view = dialog.findChild<QTreeView*>("Folders");
    auto* model = qobject_cast<QFileSystemModel*>(view->model());
    view->setCurrentIndex(model->index(QString::fromStdString(folder)));
  }
  static QString status(QDialog& dialog) { return dialog.findChild<QLabel*>("Status")->text(); }
  static QPushButton* ok(QDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  }
  std::string withFile_ = scratch_.file("with");
  std::string empty_ = scratch_.file("empty");
};

TEST_F(QtBrowse, EachSelectionShowsItsStatusAndOkFollowsIt) {
  QString title, atStart, inEmpty;
  bool okAtStart = false, okInEmpty = true;
  std::optional<std::string> chosen = browse([&](QDialog& dialog) {
    title = dialog.findChild<QLabel*>("Title")->text();
    atStart = status(dialog);
    okAtStart = ok(dialog)->isEnabled();
    select(dialog, empty_);
    inEmpty = status(dialog);
    okInEmpty = ok(dialog)->isEnabled();
    select(dialog, withFile_);
    ok(dialog)->click();
  });
  EXPECT_EQ(title, "Please select folder");
  EXPECT_EQ(atStart, "1 found");
  EXPECT_TRUE(okAtStart);
  EXPECT_EQ(inEmpty, "0 found");
  EXPECT_FALSE(okInEmpty);
  EXPECT_EQ(chosen, withFile_);
}

TEST_F(QtBrowse, CancelChoosesNothing) {
  EXPECT_EQ(browse([](QDialog& dialog) { dialog.reject(); }), std::nullopt);
}

}  // namespace
}  // namespace platform::forms
