// bench-quillon-window start|progress: Quillon's wizard in its Qt window, offscreen, on the
// real clock, inside the simulated PC that QUILLON_MACHINE names (the scripts beside this
// file make one and run this program in it with `simpc run`).
//
//   start     the program's start to its welcome page painted: the milliseconds since the
//             process began (as the kernel counts them, in its clock ticks) and since main.
//   progress  a scripted user takes the first drive and the first file through to the
//             progress page; every change of the progress bar is timed until the outcome
//             page: the steps, the mean interval between them and the whole run, against
//             what the drive type asks for (400 steps of 100, 150 or 200 ms).

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/forms_lists.h"
#include "platform/forms_qt.h"
#include "quillon/gui/program_forms.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::forms::ListBox;
using platform::forms::ProgressBar;
using platform::forms::TreeView;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's age: its start in clock ticks after boot (field 22 of /proc/self/stat)
// against the boot-time clock now.
double processAgeMs() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t field = text.rfind(')');  // the command name may hold blanks
  std::istringstream rest(text.substr(field + 2));
  std::string skipped;
  for (int each = 3; each < 22; ++each) rest >> skipped;
  double startTicks = 0;
  rest >> startTicks;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
  return nowMs - startTicks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Paints every window on the screen now, as the first paint of a shown window would.
void paintShownWindows() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) window->grab();
}

int measureStart(quillon::TFormMain& wizard, Clock::time_point mainEntered) {
  QTimer::singleShot(0, [&] {
    paintShownWindows();
    double sinceMain = millisecondsSince(mainEntered);
    double sinceExec = processAgeMs();
    std::printf("welcome page %d painted: %.0f ms after the process started, %.1f ms after main (goal under 300 ms)\n",
                wizard.currentPage(), sinceExec, sinceMain);
    wizard.Quit();
  });
  wizard.ShowModal();
  return wizard.currentPage() == 1 ? 0 : 1;
}

// What the progress page did, as seen every millisecond.
struct ProgressWatch {
  Clock::time_point started;
  std::vector<double> changes;  // ms since the page was entered, one per step seen
  int lastPosition = 0;
  int max = 0;
};

class ScriptedUser {
 public:
  explicit ScriptedUser(quillon::TFormMain& wizard) : wizard_(wizard) {
    QObject::connect(&look_, &QTimer::timeout, [this] { step(); });
    look_.setTimerType(Qt::PreciseTimer);
    look_.start(1);
  }
  const ProgressWatch& watch() const { return watch_; }
  int failedOn() const { return failedOn_; }

 private:
  void step() {
    // A message means the run went another way than the one measured.
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      std::fprintf(stderr, "bench-quillon-window: a message came: %s\n", box->text().toStdString().c_str());
      box->done(0);
      return finish(wizard_.currentPage());
    }
    int page = wizard_.currentPage();
    if (page == 6) return watchProgress();
    if (page == 7) return finish(0);
    if (page != lastPage_) act(page);
  }
  void act(int page) {
    lastPage_ = page;
    platform::forms::Form& form = wizard_.form();
    if (page == 2) {
      auto& tree = form.get<TreeView>("DrvTree");
      if (tree.topLevel().empty() || tree.topLevel().front()->children().empty()) return finish(page);
      tree.select(*tree.topLevel().front()->children().front());
    }
    if (page == 3 && !form.get<ListBox>("P3SelList").clickLine(0)) return finish(page);
    if (page == 5) watch_.started = Clock::now();
    form.control("ButNext").click();
    if (wizard_.currentPage() == page) finish(page);
  }
  void watchProgress() {
    auto& bar = wizard_.form().get<ProgressBar>("P6ProgBar");
    watch_.max = bar.max();
    if (bar.position() == watch_.lastPosition) return;
    watch_.lastPosition = bar.position();
    watch_.changes.push_back(millisecondsSince(watch_.started));
  }
  void finish(int failedOn) {
    failedOn_ = failedOn;
    look_.stop();
    wizard_.Quit();
  }

  quillon::TFormMain& wizard_;
  QTimer look_;
  ProgressWatch watch_;
  int lastPage_ = 0;
  int failedOn_ = 0;
};

int measureProgress(quillon::TFormMain& wizard) {
  ScriptedUser user(wizard);
  wizard.ShowModal();
  if (user.failedOn() != 0) {
    std::fprintf(stderr, "bench-quillon-window: the wizard did not go on from page %d\n", user.failedOn());
    return 1;
  }
  const std::vector<double>& changes = user.watch().changes;
  if (changes.size() < 2) {
    std::fprintf(stderr, "bench-quillon-window: the progress bar did not move\n");
    return 1;
  }
  double mean = (changes.back() - changes.front()) / static_cast<double>(changes.size() - 1);
  std::printf("progress page: %zu steps of a bar of %d seen, %.1f ms apart on average, the first %.0f ms and the "
              "last %.0f ms after Next on the start page\n",
              changes.size(), user.watch().max, mean, changes.front(), changes.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Clock::time_point mainEntered = Clock::now();
  std::string mode = argc == 2 ? argv[1] : "";
  if (mode != "start" && mode != "progress") {
    std::fprintf(stderr, "usage: bench-quillon-window start|progress\n");
    return 2;
  }
  platform::forms::QtApplication application(true);
  platform::forms::QtFrontEnd qt;
  platform::forms::ScopedFrontEnd useQt(qt);
  quillon::ProgramForms forms(false);
  return mode == "start" ? measureStart(forms.main, mainEntered) : measureProgress(forms.main);
}
