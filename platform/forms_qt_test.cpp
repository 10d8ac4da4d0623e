#include "platform/forms_qt.h"

#include "platform/scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QTimer>

namespace platform::forms {
namespace {

// One application for all tests, on the offscreen platform: no display needed.
class QtForms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { static QtApplication app(true); }
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

}  // namespace
}  // namespace platform::forms
