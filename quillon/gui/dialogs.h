#pragma once
// Quillon's three small modal forms and the routines that show a result code to the user:
// ShowResult (a message box), AskYesNo (a Yes/No question) and ShowMessageText (the pop-up
// form). Each form that shows text has its own catalogue.

#include <initializer_list>
#include <string>
#include <string_view>

#include "parlex/Lngstring.h"
#include "platform/forms.h"
#include "quillon/result_code.h"

namespace quillon {

// Modal results of the exit confirmation.
inline constexpr int kExitResume = platform::mrIgnore;  // 5
inline constexpr int kExitQuit = platform::mrCancel;    // 2

// Caption and message-box icon for the severity byte of a result code.
std::string severityCaption(const TlngString& texts, ResultCode code);
unsigned severityIcon(ResultCode code);

class TFormExit {
 public:
  TFormExit();
  int ShowModal();
  void Hide() { form_.hide(); }
  platform::forms::Form& form() { return form_; }

 private:
  TlngString texts_;
  platform::forms::Form form_;
};

class TFormReadMe {
 public:
  TFormReadMe();
  void setText(std::string text) { form_.control("Memo").setText(std::move(text)); }
  int ShowModal();
  platform::forms::Form& form() { return form_; }

 private:
  platform::forms::Form form_;
};

class TFormPopUp {
 public:
  TFormPopUp();
  const TlngString& texts() const { return texts_; }
  // Fills caption, text and button for `code` as ShowMessageText shows it.
  void prepare(const TlngString& texts, ResultCode code, const std::string& text);
  int ShowModal();
  void Hide() { form_.hide(); }
  platform::forms::Form& form() { return form_; }

 private:
  TlngString texts_;
  platform::forms::Form form_;
};

// What a message box will show: its text, caption and flags.
struct MessageBoxContent {
  std::string text;
  std::string caption;
  unsigned flags;
};
MessageBoxContent resultBox(const TlngString& texts, ResultCode code);
MessageBoxContent questionBox(const TlngString& texts, ResultCode code, std::initializer_list<std::string_view> args);

void ShowResult(const TFormPopUp& popUp, ResultCode code);
int AskYesNo(const TFormPopUp& popUp, ResultCode code, std::initializer_list<std::string_view> args = {});

enum class AfterMessage { Continue, Quit };
// A fatal code offers Exit and tells the caller that the wizard's Quit must follow.
AfterMessage ShowMessageText(TFormPopUp& popUp, const TlngString& wizardTexts, ResultCode code,
                             std::initializer_list<std::string_view> args = {});

}  // namespace quillon
