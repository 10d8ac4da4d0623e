#include "quillon/gui/dialogs.h"

#include "quillon/gui/catalogue_format.h"
#include "quillon/gui/gui_texts.h"

namespace quillon {
namespace {

using platform::forms::Control;
using platform::forms::ControlKind;
using platform::forms::Form;

constexpr std::uint32_t kInformation = 1;
constexpr std::uint32_t kWarning = 2;
constexpr std::uint32_t kError = 3;
constexpr std::uint32_t kFatal = 4;

std::string text(const TlngString& texts, int number) { return texts.String(number); }

void closeWith(Form& form, const char* button, int result) {
  form.control(button).onClick([&form, result] { form.setModalResult(result); });
}

}  // namespace

std::string severityCaption(const TlngString& texts, ResultCode code) {
  switch (severity(code)) {
    case kInformation: return text(texts, gui::kInformationCaption);
    case kWarning: return text(texts, gui::kWarningCaption);
    case kError: return text(texts, gui::kErrorCaption);
    case kFatal: return text(texts, gui::kFatalCaption);
    default: return "Illegal Severity Level";
  }
}

unsigned severityIcon(ResultCode code) {
  switch (severity(code)) {
    case kInformation: return platform::MB_ICONINFORMATION;
    case kWarning: return platform::MB_ICONWARNING;
    default: return platform::MB_ICONERROR;
  }
}

TFormExit::TFormExit() : form_("FormExit", "Exit Quillon", 440, 200) {
  form_.add(ControlKind::Label, "L1", {16, 12, 408, 44}).setText(text(texts_, gui::kNotComplete));
  form_.add(ControlKind::Label, "L2", {16, 60, 408, 44}).setText(text(texts_, gui::kResumeOrExit));
  form_.add(ControlKind::Label, "L3", {16, 108, 408, 44}).setText(text(texts_, gui::kLaterRun));
  form_.add(ControlKind::Button, "ButResume", {232, 160, 92, 28}).setText(text(texts_, gui::kResumeCaption));
  form_.add(ControlKind::Button, "ButExit", {332, 160, 92, 28}).setText(text(texts_, gui::kExitCaption));
  closeWith(form_, "ButResume", kExitResume);
  closeWith(form_, "ButExit", kExitQuit);
}

int TFormExit::ShowModal() { return form_.showModal(); }

TFormReadMe::TFormReadMe() : form_("FormReadMe", "Read Me", 540, 420) {
  form_.add(ControlKind::Memo, "Memo", {8, 8, 524, 364});
  form_.add(ControlKind::Button, "ButOk", {232, 382, 76, 28}).setText("&Ok");
  closeWith(form_, "ButOk", platform::mrOk);
}

int TFormReadMe::ShowModal() { return form_.showModal(); }

TFormPopUp::TFormPopUp() : form_("FormPopUp", "Message PopUp", 440, 240) {
  form_.add(ControlKind::Bevel, "Bevel1", {8, 8, 424, 180});
  form_.add(ControlKind::Label, "LabTxt", {20, 18, 400, 160});
  Control& ok = form_.add(ControlKind::Button, "ButOk", {182, 200, 76, 28});
  ok.setText(text(texts_, gui::kOkCaption));
  ok.setDefault(true);
  closeWith(form_, "ButOk", platform::mrOk);
}

void TFormPopUp::prepare(const TlngString& texts, ResultCode code, const std::string& message) {
  bool fatal = severity(code) == kFatal;
  form_.control("ButOk").setText(text(texts, fatal ? gui::kExitCaption : gui::kOkCaption));
  form_.setCaption(severityCaption(texts, code));
  form_.control("LabTxt").setText(message);
}

int TFormPopUp::ShowModal() { return form_.showModal(); }

MessageBoxContent resultBox(const TlngString& texts, ResultCode code) {
  return {texts.String(static_cast<std::int32_t>(code)), severityCaption(texts, code),
          platform::MB_OK | severityIcon(code)};
}

MessageBoxContent questionBox(const TlngString& texts, ResultCode code, std::initializer_list<std::string_view> args) {
  return {formatCatalogueText(texts.String(static_cast<std::int32_t>(code)), args),
          text(texts, gui::kInquiryCaption), platform::MB_YESNO | platform::MB_ICONQUESTION};
}

void ShowResult(const TFormPopUp& popUp, ResultCode code) {
  MessageBoxContent box = resultBox(popUp.texts(), code);
  platform::MessageBox(box.text, box.caption, box.flags);
}

int AskYesNo(const TFormPopUp& popUp, ResultCode code, std::initializer_list<std::string_view> args) {
  MessageBoxContent box = questionBox(popUp.texts(), code, args);
  return platform::MessageBox(box.text, box.caption, box.flags);
}

AfterMessage ShowMessageText(TFormPopUp& popUp, const TlngString& wizardTexts, ResultCode code,
                             std::initializer_list<std::string_view> args) {
  popUp.prepare(wizardTexts, code, formatCatalogueText(wizardTexts.String(static_cast<std::int32_t>(code)), args));
  popUp.ShowModal();
  popUp.Hide();
  return severity(code) == kFatal ? AfterMessage::Quit : AfterMessage::Continue;
}

}  // namespace quillon
