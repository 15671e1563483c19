// Tree view over the common control, with the hooks a lazily filled tree needs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/controls_win.h"

namespace plivex::ui {

// A node of a tree view; null stands for none (or, as a parent, for the root level).
using TreeNode = HTREEITEM;

class TreeView : public Control {
public:
    TreeView(Form& form, int left, int top, int width, int height, int tabOrder);

    // Adds a node as the last child of parent (null: a root node). hasButton
    // shows the expand button before any child exists, for children read on expanding.
    TreeNode AddNode(TreeNode parent, const std::string& text, std::uintptr_t data = 0, bool hasButton = false);
    void DeleteNode(TreeNode node);
    // Removes the node's children; its expand button stays, so expanding it can read them again.
    void DeleteChildren(TreeNode node);
    void Clear();
    int Count() const;

    std::string NodeText(TreeNode node) const;
    void SetNodeText(TreeNode node, const std::string& text);
    std::uintptr_t NodeData(TreeNode node) const;
    TreeNode Parent(TreeNode node) const;
    // First root node when node is null.
    TreeNode FirstChild(TreeNode node) const;
    TreeNode NextSibling(TreeNode node) const;
    // Sorts the node's children (the root level for null) by text, ignoring letter case.
    void SortChildren(TreeNode node);

    bool HasButton(TreeNode node) const;
    void SetHasButton(TreeNode node, bool hasButton);

    // Programmatic expanding asks OnExpanding every time, as a click does.
    void Expand(TreeNode node);
    void Collapse(TreeNode node);
    bool Expanded(TreeNode node) const;

    TreeNode Selected() const;
    // Selects (and scrolls to) the node; null clears the selection. Calls OnChange.
    void Select(TreeNode node);

    // Before a node opens, by the user or by Expand: return false to keep it closed.
    // The handler may add the node's children, or take its button away.
    std::function<bool(TreeNode)> OnExpanding;
    // The selection changed (the new node, null for none), by the user or by Select.
    std::function<void(TreeNode)> OnChange;

    std::optional<LRESULT> Notify(const NMHDR& header) override;
};

}  // namespace plivex::ui
