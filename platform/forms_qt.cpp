#include "platform/forms_qt.h"

#include <vector>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include "platform/forms_qt_widgets.h"

namespace platform::forms {
namespace {

using qt::toQt;

QMessageBox::Icon iconFor(unsigned flags) {
  switch (flags & MB_ICON_MASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// Lives as long as its caller; QMessageBox deletes its buttons with itself.
void prepareMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, unsigned flags) {
  box.setIcon(iconFor(flags));
  box.setWindowTitle(toQt(caption));
  box.setText(toQt(text));
  if ((flags & MB_BUTTON_MASK) == MB_YESNO)
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  else
    box.setStandardButtons(QMessageBox::Ok);
}

}  // namespace

// Children go before their parents: a deleted child leaves its parent, while a deleted
// parent would delete its children a second time.
struct QtFrontEnd::Window {
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window() {
    while (!owned.empty()) owned.pop_back();
  }

  std::unique_ptr<QDialog> dialog;
  std::vector<std::unique_ptr<QWidget>> owned;  // in the order made: every parent before its children
  std::map<const Control*, QWidget*> widgets;
  std::map<const Timer*, std::unique_ptr<QTimer>> timers;
};

QtFrontEnd::QtFrontEnd() = default;

QtFrontEnd::~QtFrontEnd() {
  for (auto& [form, window] : windows_) const_cast<Form*>(form)->setObserver(nullptr);
}

QtFrontEnd::Window& QtFrontEnd::windowFor(Form& form) {
  auto found = windows_.find(&form);
  if (found != windows_.end()) return *found->second;
  auto window = std::make_unique<Window>();
  window->dialog = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QDialog& dialog = *window->dialog;
  dialog.setObjectName(toQt(form.name()));
  dialog.setWindowTitle(toQt(form.caption()));
  dialog.setFixedSize(form.width(), form.height());
  for (const auto& control : form.controls()) {
    QWidget* parent = control->parent() ? window->widgets.at(control->parent()) : &dialog;
    std::unique_ptr<QWidget> widget = qt::createWidget(*control, parent);
    widget->setObjectName(toQt(control->name()));
    Rect r = control->bounds();
    widget->setGeometry(r.left, r.top, r.width, r.height);
    window->widgets[control.get()] = widget.get();
    window->owned.push_back(std::move(widget));
  }
  for (const auto& timer : form.timers()) {
    auto qtTimer = std::make_unique<QTimer>(&dialog);
    qtTimer->setObjectName(toQt(timer->name()));
    QObject::connect(qtTimer.get(), &QTimer::timeout, [t = timer.get()] { t->fire(); });
    window->timers[timer.get()] = std::move(qtTimer);
  }
  form.setObserver(this);
  Window& added = *windows_.emplace(&form, std::move(window)).first->second;
  for (const auto& control : form.controls()) controlChanged(*control);
  for (const auto& timer : form.timers()) timerChanged(*timer);
  return added;
}

void QtFrontEnd::controlChanged(const Control& control) {
  auto window = windows_.find(&control.form());
  if (window == windows_.end()) return;
  auto widget = window->second->widgets.find(&control);
  if (widget != window->second->widgets.end()) qt::showState(control, *widget->second);
}

void QtFrontEnd::timerChanged(const Timer& timer) {
  auto window = windows_.find(&timer.form());
  if (window == windows_.end()) return;
  auto qtTimer = window->second->timers.find(&timer);
  if (qtTimer == window->second->timers.end()) return;
  qtTimer->second->setInterval(static_cast<int>(timer.interval()));
  if (timer.enabled() && timer.form().visible()) qtTimer->second->start();
  else qtTimer->second->stop();
}

void QtFrontEnd::formChanged(const Form& form) {
  auto window = windows_.find(&form);
  if (window == windows_.end()) return;
  QDialog& dialog = *window->second->dialog;
  dialog.setWindowTitle(toQt(form.caption()));
  if (form.modalResult() != mrNone && dialog.isVisible()) dialog.done(form.modalResult());
  for (auto& [timer, qtTimer] : window->second->timers) timerChanged(*timer);
}

int QtFrontEnd::showModal(Form& form) {
  Window& window = windowFor(form);
  form.markShown();
  if (form.modalResult() == mrNone) window.dialog->exec();
  if (form.modalResult() == mrNone) form.setModalResult(mrCancel);  // closed by the window manager
  return form.modalResult();
}

void QtFrontEnd::hide(Form& form) {
  auto window = windows_.find(&form);
  if (window != windows_.end()) window->second->dialog->hide();
}

void QtFrontEnd::forget(Form& form) {
  form.setObserver(nullptr);
  windows_.erase(&form);
}

int QtFrontEnd::messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  QMessageBox box;
  prepareMessageBox(box, text, caption, flags);
  int pressed = box.exec();
  if (pressed == QMessageBox::Yes) return IDYES;
  if (pressed == QMessageBox::No) return IDNO;
  return IDOK;
}

std::optional<std::string> QtFrontEnd::browseForFolder(const FolderBrowse& browse) {
  return qt::runFolderDialog(browse, QApplication::activeModalWidget());
}

bool QtFrontEnd::renderPng(Form& form, const std::string& path) {
  Window& window = windowFor(form);
  return window.dialog->grab().save(toQt(path), "PNG");
}

bool QtFrontEnd::renderMessageBoxPng(const std::string& text, const std::string& caption, unsigned flags,
                                     const std::string& path) {
  QMessageBox box;
  prepareMessageBox(box, text, caption, flags);
  box.adjustSize();
  return box.grab().save(toQt(path), "PNG");
}

namespace {

// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "quillon";
char* applicationArgv[] = {applicationName, nullptr};

}  // namespace

QtApplication::QtApplication(bool offscreen) {
  if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
  app_ = std::make_unique<QApplication>(applicationArgc, applicationArgv);
}

QtApplication::~QtApplication() = default;

bool QtApplication::displayAvailable() {
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace platform::forms
