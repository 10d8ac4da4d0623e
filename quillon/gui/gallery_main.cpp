// quillon-gallery --out DIR: renders Quillon's dialogs in each language with the Qt front
// end, offscreen, into PNG files named by dialog and language (exit-en.png, ...).

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms_qt.h"
#include "platform/registry.h"
#include "quillon/gui/dialogs.h"

namespace {

using namespace quillon;
using platform::forms::QtFrontEnd;

struct Language {
  const char* code;
  const char* registryName;
};

constexpr Language kLanguages[] = {{"en", "English"}, {"de", "German"}, {"fr", "French"}};

constexpr const char* kSampleReadMe =
    "VR1204A firmware, revision 2.10\n"
    "\n"
    "Changes since revision 2.00:\n"
    "- Better writing quality on 80-minute CD-R media.\n"
    "- Faster recognition of CD-RW discs after the tray closes.\n"
    "\n"
    "Do not switch off the computer while the drive is being updated.\n";

// The language every catalogue built while this lives will choose.
class LanguageChoice {
 public:
  explicit LanguageChoice(const char* name) : use_(hive_) {
    platform::ScopedKey key;
    platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorante\\Quillon", platform::KEY_ALL_ACCESS,
                             key.out(), nullptr);
    std::string value(name);
    platform::RegSetValueEx(key.get(), "Language", platform::REG_SZ,
                            reinterpret_cast<const platform::BYTE*>(value.c_str()),
                            static_cast<platform::DWORD>(value.size() + 1));
  }

 private:
  platform::Hive hive_;
  platform::ScopedHive use_;
};

class Gallery {
 public:
  explicit Gallery(std::filesystem::path folder) : folder_(std::move(folder)) {}
  bool renderLanguage(const Language& language);

 private:
  std::string path(const std::string& dialog, const Language& language) const {
    return (folder_ / (dialog + "-" + language.code + ".png")).native();
  }
  bool box(const MessageBoxContent& content, const std::string& file) const {
    return QtFrontEnd::renderMessageBoxPng(content.text, content.caption, content.flags, file);
  }

  std::filesystem::path folder_;
  QtFrontEnd qt_;
  platform::forms::ScopedFrontEnd useQt_{qt_};  // so that forms going away are forgotten
};

bool Gallery::renderLanguage(const Language& language) {
  LanguageChoice choice(language.registryName);
  TFormExit exitForm;
  TFormReadMe readMe;
  TFormPopUp popUp;
  readMe.setText(kSampleReadMe);
  bool ok = qt_.renderPng(exitForm.form(), path("exit", language));
  ok &= qt_.renderPng(readMe.form(), path("readme", language));
  const ResultCode removeDisk = 0x02000042, aspiMissing = 0x04000137;
  popUp.prepare(popUp.texts(), removeDisk, popUp.texts().String(removeDisk));
  ok &= qt_.renderPng(popUp.form(), path("popup", language));
  popUp.prepare(popUp.texts(), aspiMissing, popUp.texts().String(aspiMissing));
  ok &= qt_.renderPng(popUp.form(), path("popup-fatal", language));
  ok &= box(resultBox(popUp.texts(), 0x03000038), path("result", language));
  ok &= box(questionBox(popUp.texts(), 0x0100003F, {"- DMA\n- Auto Insert Notification"}), path("question", language));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2 || args[0] != "--out") {
    std::fprintf(stderr, "usage: quillon-gallery --out DIR\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(args[1], error);
  platform::forms::QtApplication app(true);
  Gallery gallery(args[1]);
  bool ok = true;
  for (const Language& language : kLanguages) ok &= gallery.renderLanguage(language);
  if (!ok) std::fprintf(stderr, "quillon-gallery: cannot write the pictures into %s\n", args[1].c_str());
  return ok ? 0 : 1;
}
