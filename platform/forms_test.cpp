#include "platform/forms.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/forms_headless.h"

namespace platform::forms {
namespace {

class HeadlessForms : public ::testing::Test {
 protected:
  HeadlessForms() {
    Control& ok = form_.add(ControlKind::Button, "ButOk", {10, 10, 75, 25});
    ok.setText("&Ok");
    ok.onClick([this] { form_.setModalResult(mrOk); });
    form_.add(ControlKind::Label, "LabTxt", {10, 40, 200, 40}).setText("Text");
  }
  VirtualClock clock_;
  ScopedClock useClock_{clock_};
  HeadlessFrontEnd headless_;
  ScopedFrontEnd useHeadless_{headless_};
  Form form_{"FormPopUp", "Message PopUp", 300, 120};
};

TEST_F(HeadlessForms, ControlsAreFoundByNameAndReadBack) {
  EXPECT_EQ(form_.control("LabTxt").text(), "Text");
  EXPECT_EQ(form_.find("Nothing"), nullptr);
  EXPECT_THROW(form_.control("Nothing"), std::out_of_range);
}

TEST_F(HeadlessForms, AModalFormRunsTheQueuedStepsUntilAResultIsSet) {
  int looked = 0;
  headless_.whenModal([&](Form& form) {
    ++looked;
    EXPECT_TRUE(form.visible());
  });
  headless_.whenModal([](Form& form) { form.control("ButOk").click(); });
  EXPECT_EQ(form_.showModal(), mrOk);
  EXPECT_EQ(looked, 1);
  EXPECT_EQ(headless_.modalForms(), std::vector<std::string>{"FormPopUp"});
  form_.hide();
  EXPECT_FALSE(form_.visible());
}

TEST_F(HeadlessForms, DisabledOrHiddenControlsIgnoreClicks) {
  Control& ok = form_.control("ButOk");
  ok.setEnabled(false);
  EXPECT_FALSE(ok.click());
  ok.setEnabled(true);
  ok.setVisible(false);
  EXPECT_FALSE(ok.click());
  EXPECT_EQ(form_.modalResult(), mrNone);
}

TEST_F(HeadlessForms, ModalFormsNest) {
  Form inner("FormExit", "Exit", 200, 100);
  inner.add(ControlKind::Button, "ButExit", {0, 0, 50, 20}).onClick([&] { inner.setModalResult(mrCancel); });
  headless_.whenModal([&](Form&) { EXPECT_EQ(inner.showModal(), mrCancel); });
  headless_.whenModal([](Form& form) { form.control("ButExit").click(); });
  headless_.whenModal([](Form& form) { form.control("ButOk").click(); });
  EXPECT_EQ(form_.showModal(), mrOk);
  EXPECT_EQ(headless_.modalForms(), (std::vector<std::string>{"FormPopUp", "FormExit"}));
}

TEST_F(HeadlessForms, NothingQueuedIsAnErrorNotAHang) {
  EXPECT_THROW(form_.showModal(), HeadlessError);
  EXPECT_THROW(MessageBox("text", "caption", MB_OK), HeadlessError);
  EXPECT_THROW(BrowseForFolder("Folder", "/start", {}), HeadlessError);
}

TEST_F(HeadlessForms, MessageBoxesAreRecordedAndAnswered) {
  headless_.answerNextMessageBox(IDNO);
  EXPECT_EQ(MessageBox("Proceed?", "Inquiry", MB_YESNO | MB_ICONQUESTION), IDNO);
  ASSERT_EQ(headless_.messageBoxes().size(), 1u);
  EXPECT_EQ(headless_.messageBoxes()[0].text, "Proceed?");
  EXPECT_EQ(headless_.messageBoxes()[0].caption, "Inquiry");
  EXPECT_EQ(headless_.messageBoxes()[0].flags, 0x24u);
}

TEST_F(HeadlessForms, TimersOfShownFormsFireOnVirtualTime) {
  Timer& timer = form_.addTimer("Timer1", 150);
  int ticks = 0;
  std::vector<std::uint32_t> at;
  timer.onTimer([&] {
    ++ticks;
    at.push_back(clock_.tickCount());
  });
  timer.setEnabled(true);
  headless_.advance(1000);
  EXPECT_EQ(ticks, 0) << "the form is not shown";
  headless_.whenModal([&](Form&) { headless_.advance(460); });
  headless_.whenModal([](Form& form) { form.setModalResult(mrOk); });
  form_.showModal();
  EXPECT_EQ(at, (std::vector<std::uint32_t>{1150, 1300, 1450}));
  EXPECT_EQ(clock_.tickCount(), 1460u);
  timer.setEnabled(false);
  headless_.advance(1000);
  EXPECT_EQ(ticks, 3);
}

// A folder dialog whose status counts the firmware files of the folders it knows.
class HeadlessBrowse : public HeadlessForms {
 protected:
  std::optional<std::string> browse(const std::string& start = "/fw/one") {
    return BrowseForFolder("Please select folder", start, [](const std::string& folder) {
      int count = folder == "/fw/one" ? 1 : folder == "/fw/two" ? 2 : 0;
      return FolderStatus{std::to_string(count) + " files", count > 0};
    });
  }
  std::vector<std::string> statusTexts() const {
    std::vector<std::string> texts;
    for (const auto& status : headless_.browses().back().statuses) texts.push_back(status.folder + ": " + status.text);
    return texts;
  }
};

TEST_F(HeadlessBrowse, TheAnswerIsChosenAfterTheStartFoldersStatus) {
  headless_.answerNextBrowse("/fw/two");
  EXPECT_EQ(browse(), "/fw/two");
  ASSERT_EQ(headless_.browses().size(), 1u);
  EXPECT_EQ(headless_.browses()[0].title, "Please select folder");
  EXPECT_EQ(headless_.browses()[0].startFolder, "/fw/one");
  EXPECT_EQ(statusTexts(), (std::vector<std::string>{"/fw/one: 1 files", "/fw/two: 2 files"}));
}

TEST_F(HeadlessBrowse, CancellingOrAFolderWithOkDisabledChoosesNothing) {
  headless_.cancelNextBrowse();
  EXPECT_EQ(browse(), std::nullopt);
  EXPECT_EQ(statusTexts(), std::vector<std::string>{"/fw/one: 1 files"});
  headless_.answerNextBrowse("/fw/none");
  EXPECT_EQ(browse(), std::nullopt);
  EXPECT_FALSE(headless_.browses().back().statuses.back().okEnabled);
}

TEST_F(HeadlessBrowse, WithoutAStartFolderOrStatusOnlyTheAnswerCounts) {
  headless_.answerNextBrowse("/fw/none");
  EXPECT_EQ(BrowseForFolder("Folder", "", {}), "/fw/none");
  headless_.answerNextBrowse("/fw/two");
  EXPECT_EQ(browse(""), "/fw/two");
  EXPECT_EQ(statusTexts(), std::vector<std::string>{"/fw/two: 2 files"});
}

}  // namespace
}  // namespace platform::forms
