#include "platform/forms_lists.h"

#include <stdexcept>

namespace platform::forms {

ListBox::ListBox(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

void ListBox::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  selected_ = -1;
  changed();
}

void ListBox::addLine(std::string line) {
  lines_.push_back(std::move(line));
  selected_ = -1;
  changed();
}

void ListBox::clear() { setLines({}); }

void ListBox::setSelected(int index) {
  if (index < -1 || index >= static_cast<int>(lines_.size()))
    throw std::out_of_range(name() + " has no line " + std::to_string(index));
  selected_ = index;
  changed();
}

bool ListBox::clickLine(int index) {
  if (!usable() || index < 0 || index >= static_cast<int>(lines_.size())) return false;
  setSelected(index);
  return click();
}

TreeNode::TreeNode(TreeView& tree, TreeNode* parent, std::string text, int data)
    : tree_(tree), parent_(parent), text_(std::move(text)), data_(data) {}

void TreeNode::setText(std::string text) {
  text_ = std::move(text);
  tree_.changed();
}

void TreeNode::setData(int data) {
  data_ = data;
  tree_.changed();
}

void TreeNode::setImageIndex(int index) {
  imageIndex_ = index;
  tree_.changed();
}

void TreeNode::setStateIndex(int index) {
  stateIndex_ = index;
  tree_.changed();
}

void TreeNode::setExpanded(bool expanded) {
  expanded_ = expanded;
  tree_.changed();
}

TreeView::TreeView(Form& form, std::string name, Rect bounds, Control* parent)
    : Control(form, kKind, std::move(name), bounds, parent) {}

TreeNode& TreeView::addNode(TreeNode* parent, std::string text, int data) {
  if (parent && &parent->tree() != this) throw std::invalid_argument(name() + ": parent node of another tree");
  nodes_.push_back(std::make_unique<TreeNode>(*this, parent, std::move(text), data));
  TreeNode& node = *nodes_.back();
  (parent ? parent->children_ : topLevel_).push_back(&node);
  changed();
  return node;
}

void TreeView::clear() {
  setSelected(nullptr);
  topLevel_.clear();
  nodes_.clear();
  changed();
}

namespace {

TreeNode* findIn(const std::vector<TreeNode*>& nodes, std::string_view text) {
  for (TreeNode* node : nodes) {
    if (node->text() == text) return node;
    if (TreeNode* found = findIn(node->children(), text)) return found;
  }
  return nullptr;
}

}  // namespace

TreeNode* TreeView::findNode(std::string_view text) const { return findIn(topLevel_, text); }

void TreeView::expandAll() {
  for (const auto& node : nodes_) node->expanded_ = true;
  changed();
}

void TreeView::setSelected(TreeNode* node) {
  if (node && &node->tree() != this) throw std::invalid_argument(name() + ": node of another tree");
  if (node == selected_) return;
  selected_ = node;
  changed();
  if (onChange_) onChange_(node);
}

bool TreeView::select(TreeNode& node) {
  if (!usable()) return false;
  setSelected(&node);
  return true;
}

}  // namespace platform::forms
