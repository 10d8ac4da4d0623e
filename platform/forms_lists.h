#pragma once
// The controls of the form model that hold lines or nodes: list boxes and tree views.
// The program changes them freely; the user's actions (`clickLine`, `select`) are refused
// when the control is not usable, as a disabled or hidden window takes no input.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms_control.h"

namespace platform::forms {

class ListBox final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::ListBox;
  ListBox(Form& form, std::string name, Rect bounds, Control* parent);

  const std::vector<std::string>& lines() const { return lines_; }
  // Changing the lines drops the selection.
  void setLines(std::vector<std::string> lines);
  void addLine(std::string line);
  void clear();

  // The selected line, -1 for none.
  int selected() const { return selected_; }
  // The program's selection raises no event; throws std::out_of_range past the lines.
  void setSelected(int index);
  // A user's click on a line: selects it, then runs the click handler.
  bool clickLine(int index);

 private:
  std::vector<std::string> lines_;
  int selected_ = -1;
};

class TreeView;

// Nodes live as long as their tree's content: `TreeView::clear` ends them all.
class TreeNode {
 public:
  TreeNode(TreeView& tree, TreeNode* parent, std::string text, int data);
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  TreeView& tree() const { return tree_; }
  TreeNode* parent() const { return parent_; }
  const std::vector<TreeNode*>& children() const { return children_; }

  const std::string& text() const { return text_; }
  void setText(std::string text);
  int data() const { return data_; }
  void setData(int data);
  // Indices into the tree's pictures; -1 for none.
  int imageIndex() const { return imageIndex_; }
  void setImageIndex(int index);
  int stateIndex() const { return stateIndex_; }
  void setStateIndex(int index);
  bool expanded() const { return expanded_; }
  void setExpanded(bool expanded);

 private:
  friend class TreeView;

  TreeView& tree_;
  TreeNode* parent_;
  std::vector<TreeNode*> children_;
  std::string text_;
  int data_;
  int imageIndex_ = -1;
  int stateIndex_ = -1;
  bool expanded_ = false;
};

class TreeView final : public Control {
 public:
  static constexpr ControlKind kKind = ControlKind::TreeView;
  TreeView(Form& form, std::string name, Rect bounds, Control* parent);

  // Adds the node as the last child of `parent`, or as the last top-level node for null.
  TreeNode& addNode(TreeNode* parent, std::string text, int data = 0);
  // Ends every node; a selection goes first, with its change event.
  void clear();
  const std::vector<TreeNode*>& topLevel() const { return topLevel_; }
  // The first node with this text, parents before their children; null when none.
  TreeNode* findNode(std::string_view text) const;
  void expandAll();

  TreeNode* selected() const { return selected_; }
  // Every change of the selection, the program's or the user's, runs the change handler
  // with the new selection (null when none); selecting the selected node changes nothing.
  // Throws std::invalid_argument for a node of another tree.
  void setSelected(TreeNode* node);
  // A user's click on a node.
  bool select(TreeNode& node);
  void onChange(std::function<void(TreeNode* node)> handler) { onChange_ = std::move(handler); }

 private:
  friend class TreeNode;

  std::vector<std::unique_ptr<TreeNode>> nodes_;
  std::vector<TreeNode*> topLevel_;
  TreeNode* selected_ = nullptr;
  std::function<void(TreeNode*)> onChange_;
};

}  // namespace platform::forms
