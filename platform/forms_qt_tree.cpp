// The Qt widget of a tree view.

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

#include "platform/forms_qt_widgets.h"

namespace platform::forms::qt {
namespace {

// A state image: a small disc, one colour per index.
QIcon drawStateImage(int index) {
  static constexpr QRgb kColours[] = {qRgb(0xD8, 0xA0, 0x20), qRgb(0x2E, 0x9E, 0x3A), qRgb(0xB0, 0x30, 0x30),
                                      qRgb(0x30, 0x60, 0xB0)};
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(0x40, 0x40, 0x40));
  painter.setBrush(QColor(kColours[index % std::size(kColours)]));
  painter.drawEllipse(2, 2, 12, 12);
  return QIcon(picture);
}

// Each node with its parent, parents before their children: two trees with the same list
// have the same shape.
using TreeShape = std::vector<std::pair<const TreeNode*, const TreeNode*>>;

void addShape(const std::vector<TreeNode*>& nodes, TreeShape& shape) {
  for (const TreeNode* node : nodes) {
    shape.emplace_back(node, node->parent());
    addShape(node->children(), shape);
  }
}

// A tree widget that mirrors a TreeView: its items are rebuilt when the nodes change and
// updated in place otherwise, so that an item the user just clicked is never deleted under
// Qt's feet.
class ModelTree final : public QTreeWidget {
 public:
  ModelTree(TreeView& tree, QWidget* parent) : QTreeWidget(parent), tree_(tree) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::currentItemChanged, [this](QTreeWidgetItem* current) { userSelected(current); });
  }

  void sync() {
    QSignalBlocker quiet(this);
    TreeShape shape;
    addShape(tree_.topLevel(), shape);
    if (shape != shownShape()) rebuild();
    for (const Shown& shown : items_) {
      shown.item->setText(0, toQt(shown.node->text()));
      int state = shown.node->stateIndex();
      shown.item->setIcon(0, state < 0 ? QIcon() : stateImage(state));
      shown.item->setExpanded(shown.node->expanded());
    }
    QTreeWidgetItem* selected = itemOf(tree_.selected());
    if (!selected) clearSelection();
    setCurrentItem(selected);
  }

 private:
  TreeShape shownShape() const {
    TreeShape shape;
    for (const Shown& shown : items_) shape.emplace_back(shown.node, shown.parent);
    return shape;
  }

  void rebuild() {
    clear();
    items_.clear();
    for (TreeNode* node : tree_.topLevel()) addItem(*node, invisibleRootItem());
  }

  // The parent item owns the new item from the moment it takes it.
  void addItem(TreeNode& node, QTreeWidgetItem* parent) {
    auto item = std::make_unique<QTreeWidgetItem>();
    parent->addChild(item.get());
    QTreeWidgetItem* added = item.release();
    items_.push_back({added, &node, node.parent()});
    for (TreeNode* child : node.children()) addItem(*child, added);
  }

  QTreeWidgetItem* itemOf(TreeNode* node) const {
    for (const Shown& shown : items_)
      if (shown.node == node) return shown.item;
    return nullptr;
  }

  // The program may answer with another selection; Qt finishes the click first, so the
  // widget is brought in line again once the click is over.
  void userSelected(QTreeWidgetItem* current) {
    auto shown = std::find_if(items_.begin(), items_.end(), [&](const Shown& entry) { return entry.item == current; });
    if (shown != items_.end()) tree_.select(*shown->node);
    QTimer::singleShot(0, this, [this] { sync(); });
  }

  const QIcon& stateImage(int index) {
    auto found = stateImages_.find(index);
    if (found == stateImages_.end()) found = stateImages_.emplace(index, drawStateImage(index)).first;
    return found->second;
  }

  // The parent is kept as it was when the item was made: after a clear the nodes are gone.
  struct Shown {
    QTreeWidgetItem* item;
    TreeNode* node;
    const TreeNode* parent;
  };

  TreeView& tree_;
  std::vector<Shown> items_;  // parents before their children
  std::map<int, QIcon> stateImages_;
};

}  // namespace

std::unique_ptr<QWidget> createTree(TreeView& tree, QWidget* parent) { return std::make_unique<ModelTree>(tree, parent); }

void showTree(QWidget& widget) { static_cast<ModelTree&>(widget).sync(); }

}  // namespace platform::forms::qt
