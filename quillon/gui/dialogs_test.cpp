#include "quillon/gui/dialogs.h"

#include <gtest/gtest.h>

#include "platform/forms_headless.h"
#include "platform/registry.h"

namespace quillon {
namespace {

using platform::forms::Form;
using platform::forms::HeadlessFrontEnd;

// Each test gets its own registry (with the language it asks for) and a headless screen.
class Dialogs : public ::testing::Test {
 protected:
  void useLanguage(const std::string& name) {
    platform::ScopedKey key;
    ASSERT_EQ(platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorante\\Quillon",
                                       platform::KEY_ALL_ACCESS, key.out(), nullptr),
              platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegSetValueEx(key.get(), "Language", platform::REG_SZ,
                                      reinterpret_cast<const platform::BYTE*>(name.c_str()),
                                      static_cast<platform::DWORD>(name.size() + 1)),
              platform::ERROR_SUCCESS);
  }
  void click(const char* button) {
    headless_.whenModal([button](Form& form) { form.control(button).click(); });
  }
  const HeadlessFrontEnd::ShownBox& lastBox() const { return headless_.messageBoxes().back(); }

  platform::Hive hive_;
  platform::ScopedHive useHive_{hive_};
  HeadlessFrontEnd headless_;
  platform::forms::ScopedFrontEnd useHeadless_{headless_};
};

TEST_F(Dialogs, ExitFormTellsHowToGoOnAndReturnsResumeOrExit) {
  TFormExit exitForm;
  Form& form = exitForm.form();
  EXPECT_EQ(form.caption(), "Exit Quillon");
  EXPECT_EQ(form.control("L1").text().rfind("The flashing process is not complete.", 0), 0u);
  EXPECT_EQ(form.control("L2").text().rfind("To continue flashing your drive, click Resume.", 0), 0u);
  EXPECT_EQ(form.control("L3").text().rfind("You may run the Quillon program at a later time", 0), 0u);
  EXPECT_EQ(form.control("ButResume").text(), "&Resume");
  EXPECT_EQ(form.control("ButExit").text(), "E&xit");
  click("ButResume");
  EXPECT_EQ(exitForm.ShowModal(), 5);
  click("ButExit");
  EXPECT_EQ(exitForm.ShowModal(), 2);
}

TEST_F(Dialogs, ExitFormSpeaksTheRegistrysLanguage) {
  useLanguage("german");
  TFormExit exitForm;
  EXPECT_EQ(exitForm.form().control("ButExit").text(), "&Ende");
  EXPECT_EQ(exitForm.form().control("ButResume").text(), "&Resume");
}

TEST_F(Dialogs, ReadMeAndPopUpCloseWithOk) {
  TFormReadMe readMe;
  readMe.setText("notes");
  EXPECT_EQ(readMe.form().control("Memo").text(), "notes");
  click("ButOk");
  EXPECT_EQ(readMe.ShowModal(), 1);
  TFormPopUp popUp;
  EXPECT_TRUE(popUp.form().control("ButOk").isDefault());
  click("ButOk");
  EXPECT_EQ(popUp.ShowModal(), 1);
}

TEST_F(Dialogs, SeverityGivesCaptionAndIcon) {
  TFormPopUp popUp;
  const std::pair<ResultCode, std::pair<const char*, unsigned>> cases[] = {
      {0x01000000, {"Information", 0x40}}, {0x02000000, {"Warning", 0x30}},
      {0x03000000, {"Error", 0x10}},       {0x04000000, {"Fatal Error", 0x10}},
      {0x05000000, {"Illegal Severity Level", 0x10}}, {0x00000038, {"Illegal Severity Level", 0x10}},
  };
  for (const auto& [code, expected] : cases) {
    EXPECT_EQ(severityCaption(popUp.texts(), code), expected.first) << std::hex << code;
    EXPECT_EQ(severityIcon(code), expected.second) << std::hex << code;
  }
}

TEST_F(Dialogs, ShowResultShowsTheTextUnderItsSeverity) {
  TFormPopUp popUp;
  headless_.answerNextMessageBox(platform::IDOK);
  ShowResult(popUp, 0x03000038);
  EXPECT_EQ(lastBox().text, "No drive selected");
  EXPECT_EQ(lastBox().caption, "Error");
  EXPECT_EQ(lastBox().flags, 0x10u);
  headless_.answerNextMessageBox(platform::IDOK);
  ShowResult(popUp, 0x04000137);  // a fatal code only shows the box here
  EXPECT_EQ(lastBox().caption, "Fatal Error");
}

TEST_F(Dialogs, AskYesNoPutsTheArgumentsIntoTheQuestion) {
  TFormPopUp popUp;
  headless_.answerNextMessageBox(platform::IDYES);
  EXPECT_EQ(AskYesNo(popUp, 0x0100003F, {"- DMA\n"}), 6);
  EXPECT_NE(lastBox().text.find("allows :\n\n- DMA\n\n\nTo successfully"), std::string::npos) << lastBox().text;
  EXPECT_EQ(lastBox().caption, "Inquiry");
  EXPECT_EQ(lastBox().flags, 0x24u);
  headless_.answerNextMessageBox(platform::IDNO);
  EXPECT_EQ(AskYesNo(popUp, 0x0100003F), 7) << "a missing argument leaves the place empty";
}

TEST_F(Dialogs, ShowMessageTextOffersExitAndEndsTheProgramOnlyForFatalCodes) {
  TFormPopUp popUp;
  TlngString wizardTexts;
  Form& form = popUp.form();
  click("ButOk");
  EXPECT_EQ(ShowMessageText(popUp, wizardTexts, 0x02000042), AfterMessage::Continue);
  EXPECT_EQ(form.caption(), "Warning");
  EXPECT_EQ(form.control("ButOk").text(), "&Ok");
  EXPECT_EQ(form.control("LabTxt").text(), "In order to continue, please remove the disk from the selected drive.");
  EXPECT_FALSE(form.visible());
  click("ButOk");
  EXPECT_EQ(ShowMessageText(popUp, wizardTexts, 0x0300003D, {"X.CVT"}), AfterMessage::Continue);
  EXPECT_EQ(form.control("LabTxt").text(), "Unable to locate file X.CVT.");
  click("ButOk");
  EXPECT_EQ(ShowMessageText(popUp, wizardTexts, 0x04000137), AfterMessage::Quit);
  EXPECT_EQ(form.control("ButOk").text(), "E&xit");
  EXPECT_EQ(form.caption(), "Fatal Error");
}

}  // namespace
}  // namespace quillon
