// The folder browse dialog of the Qt front end: the folders of the file system in a tree,
// the caller's words above them and the status of the selection below.

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/forms_qt_widgets.h"

namespace platform::forms::qt {
namespace {

// Members are destroyed in reverse: the widgets leave the dialog before it goes, the tree
// before its model.
class FolderDialog {
 public:
  FolderDialog(const FolderBrowse& browse, QWidget* owner) : browse_(browse), dialog_(owner) {
    dialog_.setObjectName("BrowseForFolder");
    dialog_.setWindowTitle("Browse for Folder");
    dialog_.resize(360, 420);
    title_.setObjectName("Title");
    title_.setText(toQt(browse.title));
    title_.setWordWrap(true);
    status_.setObjectName("Status");
    status_.setWordWrap(true);
    buttons_.setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons_.button(QDialogButtonBox::Ok)->setEnabled(false);
    QObject::connect(&buttons_, &QDialogButtonBox::accepted, &dialog_, &QDialog::accept);
    QObject::connect(&buttons_, &QDialogButtonBox::rejected, &dialog_, &QDialog::reject);
    showFolders();
    layout_.addWidget(&title_);
    layout_.addWidget(&folders_);
    layout_.addWidget(&status_);
    layout_.addWidget(&buttons_);
    selectStart();
  }

  std::optional<std::string> run() {
    if (dialog_.exec() != QDialog::Accepted) return std::nullopt;
    QString chosen = model_.filePath(folders_.currentIndex());
    if (chosen.isEmpty()) return std::nullopt;
    return fromQt(chosen);
  }

 private:
  void showFolders() {
    model_.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_.setRootPath(QDir::rootPath());
    folders_.setObjectName("Folders");
    folders_.setModel(&model_);
    folders_.setHeaderHidden(true);
    for (int column = 1; column < model_.columnCount(); ++column) folders_.hideColumn(column);
    QObject::connect(folders_.selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex& current) { selected(current); });
  }

  void selectStart() {
    if (browse_.startFolder.empty()) return;
    QModelIndex start = model_.index(toQt(browse_.startFolder));
    if (!start.isValid()) return;
    folders_.setCurrentIndex(start);
    folders_.scrollTo(start);
  }

  // A selection without a path changes nothing.
  void selected(const QModelIndex& current) {
    QString path = model_.filePath(current);
    if (path.isEmpty()) return;
    FolderStatus status = browse_.statusOf ? browse_.statusOf(fromQt(path)) : FolderStatus{};
    status_.setText(toQt(status.text));
    buttons_.button(QDialogButtonBox::Ok)->setEnabled(status.okEnabled);
  }

  const FolderBrowse& browse_;
  QDialog dialog_;
  QVBoxLayout layout_{&dialog_};
  QLabel title_;
  QFileSystemModel model_;
  QTreeView folders_;
  QLabel status_;
  QDialogButtonBox buttons_;
};

}  // namespace

std::optional<std::string> runFolderDialog(const FolderBrowse& browse, QWidget* owner) {
  FolderDialog dialog(browse, owner);
  return dialog.run();
}

}  // namespace platform::forms::qt
