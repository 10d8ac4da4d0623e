#include "platform/forms_qt_widgets.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

namespace platform::forms::qt {
namespace {

// The picture shown, so that showing and hiding an image does not read its file again.
constexpr char kPictureProperty[] = "quillonPicture";

std::unique_ptr<QWidget> createButton(Control& control, QWidget* parent) {
  auto button = std::make_unique<QPushButton>(parent);
  QObject::connect(button.get(), &QPushButton::clicked, [&control] { control.click(); });
  return button;
}

std::unique_ptr<QWidget> createLabel(QWidget* parent) {
  auto label = std::make_unique<QLabel>(parent);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

std::unique_ptr<QWidget> createMemo(QWidget* parent) {
  auto memo = std::make_unique<QPlainTextEdit>(parent);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return memo;
}

std::unique_ptr<QWidget> createFrame(QFrame::Shape shape, QWidget* parent) {
  auto frame = std::make_unique<QFrame>(parent);
  frame->setFrameShape(shape);
  frame->setFrameShadow(QFrame::Sunken);
  return frame;
}

std::unique_ptr<QWidget> createEdit(Edit& edit, QWidget* parent) {
  auto line = std::make_unique<QLineEdit>(parent);
  QObject::connect(line.get(), &QLineEdit::textEdited, [&edit](const QString& text) { edit.type(fromQt(text)); });
  return line;
}

std::unique_ptr<QWidget> createCheckBox(Control& control, QWidget* parent) {
  auto box = std::make_unique<QCheckBox>(parent);
  QObject::connect(box.get(), &QCheckBox::clicked, [&control] { control.click(); });
  return box;
}

std::unique_ptr<QWidget> createList(ListBox& list, QWidget* parent) {
  auto widget = std::make_unique<QListWidget>(parent);
  widget->setSelectionMode(QAbstractItemView::SingleSelection);
  QObject::connect(widget.get(), &QListWidget::currentRowChanged, [&list](int row) {
    if (row >= 0) list.clickLine(row);
  });
  return widget;
}

std::unique_ptr<QWidget> createProgressBar(QWidget* parent) {
  auto bar = std::make_unique<QProgressBar>(parent);
  bar->setTextVisible(false);
  return bar;
}

std::unique_ptr<QWidget> createImage(QWidget* parent) {
  auto label = std::make_unique<QLabel>(parent);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void showList(const ListBox& list, QListWidget& widget) {
  QSignalBlocker quiet(widget);
  QStringList lines;
  for (const std::string& line : list.lines()) lines.append(toQt(line));
  bool same = widget.count() == lines.size();
  for (int row = 0; same && row < widget.count(); ++row) same = widget.item(row)->text() == lines[row];
  if (!same) {
    widget.clear();
    widget.addItems(lines);
  }
  if (list.selected() < 0) widget.clearSelection();
  widget.setCurrentRow(list.selected());
}

void showImage(const Image& image, QLabel& label) {
  QString picture = toQt(image.picture());
  if (label.property(kPictureProperty).toString() == picture) return;
  label.setProperty(kPictureProperty, picture);
  if (picture.isEmpty()) label.clear();
  else label.setPixmap(QPixmap(picture));
}

void showProgress(const ProgressBar& bar, QProgressBar& widget) {
  widget.setRange(bar.min(), bar.max());
  widget.setValue(bar.position());
}

void showEdit(const Edit& edit, QLineEdit& line) {
  line.setReadOnly(edit.readOnly());
  if (line.text() != toQt(edit.text())) line.setText(toQt(edit.text()));
}

void showCheckBox(const CheckBox& box, QCheckBox& widget) {
  QSignalBlocker quiet(widget);
  widget.setText(toQt(box.text()));
  widget.setChecked(box.checked());
}

void showText(const Control& control, QWidget& widget) {
  if (auto* button = qobject_cast<QPushButton*>(&widget)) {
    button->setText(toQt(control.text()));
    button->setDefault(control.isDefault());
  } else if (auto* label = qobject_cast<QLabel*>(&widget)) {
    label->setText(toQt(control.text()));
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(&widget)) {
    if (memo->toPlainText() != toQt(control.text())) memo->setPlainText(toQt(control.text()));
  } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
    group->setTitle(toQt(control.text()));
  }
}

}  // namespace

QString toQt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string fromQt(const QString& text) { return text.toStdString(); }

std::unique_ptr<QWidget> createWidget(Control& control, QWidget* parent) {
  switch (control.kind()) {
    case ControlKind::Button: return createButton(control, parent);
    case ControlKind::Label: return createLabel(parent);
    case ControlKind::Memo: return createMemo(parent);
    case ControlKind::Bevel: return createFrame(QFrame::Box, parent);
    case ControlKind::Edit: return createEdit(static_cast<Edit&>(control), parent);
    case ControlKind::CheckBox: return createCheckBox(control, parent);
    case ControlKind::ListBox: return createList(static_cast<ListBox&>(control), parent);
    case ControlKind::TreeView: return createTree(static_cast<TreeView&>(control), parent);
    case ControlKind::ProgressBar: return createProgressBar(parent);
    case ControlKind::Image: return createImage(parent);
    case ControlKind::Panel: return createFrame(QFrame::NoFrame, parent);
    case ControlKind::GroupBox: return std::make_unique<QGroupBox>(parent);
  }
  return nullptr;
}

void showState(const Control& control, QWidget& widget) {
  widget.setEnabled(control.enabled());
  widget.setVisible(control.visible());
  switch (control.kind()) {
    case ControlKind::Edit: return showEdit(static_cast<const Edit&>(control), static_cast<QLineEdit&>(widget));
    case ControlKind::CheckBox:
      return showCheckBox(static_cast<const CheckBox&>(control), static_cast<QCheckBox&>(widget));
    case ControlKind::ListBox: return showList(static_cast<const ListBox&>(control), static_cast<QListWidget&>(widget));
    case ControlKind::TreeView: return showTree(widget);
    case ControlKind::ProgressBar:
      return showProgress(static_cast<const ProgressBar&>(control), static_cast<QProgressBar&>(widget));
    case ControlKind::Image: return showImage(static_cast<const Image&>(control), static_cast<QLabel&>(widget));
    default: return showText(control, widget);
  }
}

}  // namespace platform::forms::qt
