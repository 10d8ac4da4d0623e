#pragma once
// Inside the Qt front end: the widget for each kind of control, kept in step with it, and
// the folder browse dialog.

#include <memory>
#include <optional>
#include <string>

#include <QString>
#include <QWidget>

#include "platform/forms.h"

namespace platform::forms::qt {

QString toQt(const std::string& text);
std::string fromQt(const QString& text);

// A widget for the control inside `parent`, wired so that a user's action reaches the model.
std::unique_ptr<QWidget> createWidget(Control& control, QWidget* parent);
// Brings the widget in line with the control.
void showState(const Control& control, QWidget& widget);

std::unique_ptr<QWidget> createTree(TreeView& tree, QWidget* parent);
void showTree(QWidget& widget);

std::optional<std::string> runFolderDialog(const FolderBrowse& browse, QWidget* owner);

}  // namespace platform::forms::qt
