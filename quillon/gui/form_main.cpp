// TFormMain's construction: its controls as the form resource names them, the Kernel, the
// logo, the page list and the catalogue texts.

#include "quillon/gui/form_main.h"

#include <fmt/format.h>

#include <filesystem>
#include <initializer_list>

#include "quillon/drive/os_info.h"
#include "quillon/gui/logging.h"

namespace quillon {
namespace {

using platform::forms::ControlKind;
using platform::forms::Edit;
using platform::forms::Form;
using platform::forms::Image;
using platform::forms::ProgressBar;
using platform::forms::Rect;

constexpr int kPageWidth = 380;
constexpr int kPageHeight = 300;
constexpr int kLineHeight = 40;
constexpr std::uint32_t kFirstTickMs = 100;

// Labels one below the other from `top`, each a line of the page's width.
// Four wrapped lines, as the longer German and French texts need.
constexpr int kTallLineHeight = 64;

void addLabels(Form& form, const char* page, std::initializer_list<const char*> names, int top = 8,
               int lineHeight = kLineHeight) {
  for (const char* name : names) {
    form.add(ControlKind::Label, name, {8, top, kPageWidth - 16, lineHeight - 4}, page);
    top += lineHeight;
  }
}

void addReadOnlyEdit(Form& form, const char* name, Rect bounds, const char* parent) {
  form.add<Edit>(name, bounds, parent).setReadOnly(true);
}

struct Caption {
  const char* control;
  int number;
};

// Every control whose caption comes from the catalogue, with its text's number.
constexpr Caption kCaptions[] = {
    {"ButBack", 0},  {"ButNext", 1},  {"ButCancel", 2}, {"P7ButFail", 3},  {"P3ButBrowse", 4},
    {"P9ButReadMe", 6}, {"P1L1", 10}, {"P1L2", 11},     {"P1L3", 12},      {"P2L1", 14},
    {"P2L2", 15},    {"P2L3", 16},    {"P3L1", 21},     {"P3L2", 22},      {"EdtCurLoc", 23},
    {"P3GrpBox", 24}, {"P4L1", 26},   {"P4L2", 27},     {"P4L3", 28},      {"P4L4", 29},
    {"P4L5", 30},    {"P5L1", 32},    {"P5L2", 33},     {"P5L3", 34},      {"P6L1", 36},
    {"P6L2", 37},    {"P6L4", 39},    {"P7L1", 41},     {"P7L2", 42},      {"P7L3", 43},
    {"P9L2", 50},    {"P9L3", 51},
};

}  // namespace

TFormMain::TFormMain(bool testMode, WizardDialogs dialogs)
    : testMode_(testMode), dialogs_(dialogs), form_("FormMain", "Quillon", 540, 372) {
  buildControls();
  bindHandlers();
  platform_ = OsInfo().GetPlatform(1);
  ntFamily_ = isNtFamily(platform_);
  LogInfo("Kernel Created");
  kernel_ = std::make_unique<Kernel>(transport_);
  LoadLogo();
  control("ButBack").setVisible(false);
  for (int page = 1; page <= kPageCount; ++page) pages_.push_back(&form_.control(fmt::format("P{}", page)));
  SetCaptions();
  ShowCurrentPage();
}

TFormMain::~TFormMain() = default;

void TFormMain::buildControls() {
  form_.add<Image>("Logo", {8, 8, 128, kPageHeight});
  form_.add(ControlKind::Panel, "PanMain", {144, 8, kPageWidth, kPageHeight});
  for (int page = 1; page <= kPageCount; ++page)
    form_.add(ControlKind::Panel, fmt::format("P{}", page), {0, 0, kPageWidth, kPageHeight}, "PanMain");
  buildPagesOneToFive();
  buildPagesSixToNine();
  form_.add(ControlKind::Bevel, "Bevel1", {8, 316, 524, 2});
  form_.add(ControlKind::Button, "ButBack", {252, 328, 88, 28});
  form_.add(ControlKind::Button, "ButNext", {346, 328, 88, 28}).setDefault(true);
  form_.add(ControlKind::Button, "ButCancel", {444, 328, 88, 28});
  form_.addTimer("Timer1", kFirstTickMs);
}

void TFormMain::buildPagesOneToFive() {
  addLabels(form_, "P1", {"P1L1", "P1L2", "P1L3"}, 8, kTallLineHeight);
  addLabels(form_, "P2", {"P2L1", "P2L2", "P2L3"});
  form_.add(ControlKind::TreeView, "DrvTree", {8, 128, kPageWidth - 16, 164}, "P2");
  addLabels(form_, "P3", {"P3L1", "P3L2"});
  form_.add(ControlKind::ListBox, "P3SelList", {8, 88, kPageWidth - 16, 128}, "P3");
  form_.add(ControlKind::GroupBox, "P3GrpBox", {8, 224, kPageWidth - 16, 68}, "P3");
  form_.add(ControlKind::Button, "P3ButBrowse", {8, 24, 80, 28}, "P3GrpBox");
  addReadOnlyEdit(form_, "EdtCurLoc", {96, 26, kPageWidth - 120, 24}, "P3GrpBox");
  addLabels(form_, "P4", {"P4L1", "P4L2"});
  addReadOnlyEdit(form_, "EdtDrive", {8, 88, kPageWidth - 16, 24}, "P4");
  addLabels(form_, "P4", {"P4L3"}, 120);
  addReadOnlyEdit(form_, "EdtFw", {8, 160, kPageWidth - 16, 24}, "P4");
  addLabels(form_, "P4", {"P4L4"}, 192);
  addReadOnlyEdit(form_, "EdtDir", {8, 232, kPageWidth - 16, 24}, "P4");
  addLabels(form_, "P4", {"P4L5"}, 264);
  addLabels(form_, "P5", {"P5L1", "P5L2", "P5L3"}, 8, kTallLineHeight);
}

void TFormMain::buildPagesSixToNine() {
  addLabels(form_, "P6", {"P6L1", "P6L2"});
  form_.add<ProgressBar>("P6ProgBar", {8, 96, kPageWidth - 16, 20}, "P6").setRange(0, kProgressMax);
  form_.add(ControlKind::Label, "P6LCompl", {8, 124, kPageWidth - 16, 20}, "P6");
  for (int icon = 1; icon <= 5; ++icon)
    form_.add<Image>(fmt::format("Icon{}", icon), {156, 156, 64, 64}, "P6").setVisible(false);
  addLabels(form_, "P6", {"P6L4"}, 236);
  addLabels(form_, "P7", {"P7L1", "P7L2", "P7L3"}, 8, kTallLineHeight);
  form_.add(ControlKind::Button, "P7ButNext", {96, 208, 88, 28}, "P7").setText("&Next");
  form_.add(ControlKind::Button, "P7ButFail", {196, 208, 88, 28}, "P7");
  addLabels(form_, "P8", {"P8L1", "P8L2"});
  // Fixed English texts in every language.
  control("P8L1").setText(
      "The updating process failed. Your drive will not work properly. Please contact your local distributor.");
  control("P8L2").setText("In order to continue, click Exit and restart your system.");
  addLabels(form_, "P9", {"P9L1", "P9L2", "P9L3"}, 8, kTallLineHeight);
  form_.add(ControlKind::Button, "P9ButReadMe", {8, 208, 96, 28}, "P9");
}

void TFormMain::bindHandlers() {
  control("ButNext").onClick([this] { ButNextClick(); });
  control("ButBack").onClick([this] { ButBackClick(); });
  control("ButCancel").onClick([this] { ButCancelClick(); });
  control("P3ButBrowse").onClick([this] { P3ButBrowseClick(); });
  control("P7ButNext").onClick([this] { P7ButNextClick(); });
  control("P7ButFail").onClick([this] { P7ButFailClick(); });
  control("P9ButReadMe").onClick([this] { P9ButReadMeClick(); });
  control("P3SelList").onClick([this] { SelectFwFile(); });
  form_.get<platform::forms::TreeView>("DrvTree").onChange([this](platform::forms::TreeNode* node) {
    TreeSelect(node);
  });
  form_.timers().front()->onTimer([this] { IncProgBar(); });
}

// A logo that cannot be found keeps the design-time picture, silently.
void TFormMain::LoadLogo() {
  std::string name;
  if (kernel_->GetLogoFile(name) != kSuccess || name.empty()) return;
  std::error_code error;
  if (std::filesystem::is_regular_file(name, error)) form_.get<Image>("Logo").setPicture(name);
}

void TFormMain::SetCaptions() {
  for (const Caption& caption : kCaptions) setText(caption.control, caption.number);
  form_.setCaption(testMode_ ? fmt::format("Quillon  {}  Test", kQuillonVersion)
                             : fmt::format("Quillon  {}", kQuillonVersion));
}

std::string TFormMain::text(int number) const { return texts_.String(0x01000000 + number); }

void TFormMain::Quit() {
  kernel_.reset();
  form_.timers().front()->setEnabled(false);
  form_.setModalResult(platform::mrOk);
}

}  // namespace quillon
