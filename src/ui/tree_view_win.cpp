#include "ui/tree_view_win.h"

#include "sys/text_win.h"
#include "ui/list_controls_win.h"

namespace plivex::ui {

TreeView::TreeView(Form& form, int left, int top, int width, int height, int tabOrder)
    : Control(form, CommonControlClass(WC_TREEVIEWW),
              TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE, left, top, width,
              height, "", tabOrder) {}

TreeNode TreeView::AddNode(TreeNode parent, const std::string& text, std::uintptr_t data, bool hasButton) {
    std::wstring wide = Widen(text);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    ins.item.pszText = wide.data();
    ins.item.lParam = static_cast<LPARAM>(data);
    ins.item.cChildren = hasButton ? 1 : 0;
    const auto node = reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    // A parent whose button was taken away gets it back with its first child.
    if (node && parent && !HasButton(parent)) SetHasButton(parent, true);
    return node;
}

void TreeView::DeleteNode(TreeNode node) {
    if (node) SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
}

void TreeView::DeleteChildren(TreeNode node) {
    const bool button = HasButton(node);
    while (TreeNode child = FirstChild(node)) DeleteNode(child);
    // The control takes the button away with the last child.
    if (node && button) SetHasButton(node, true);
}

void TreeView::Clear() { SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

int TreeView::Count() const { return static_cast<int>(SendMessageW(hwnd_, TVM_GETCOUNT, 0, 0)); }

std::string TreeView::NodeText(TreeNode node) const {
    if (!node) return {};
    // The control does not report the text's length: grow the buffer until it is not full.
    for (std::size_t size = 260;; size *= 4) {
        std::wstring buf(size, L'\0');
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = node;
        item.pszText = buf.data();
        item.cchTextMax = static_cast<int>(size);
        if (!SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
        const std::size_t len = std::wstring_view(item.pszText).size();
        if (len + 1 < size || size >= 65536) return Narrow(std::wstring_view(item.pszText, len));
    }
}

void TreeView::SetNodeText(TreeNode node, const std::string& text) {
    std::wstring wide = Widen(text);
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = wide.data();
    SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::uintptr_t TreeView::NodeData(TreeNode node) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!node || !SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<std::uintptr_t>(item.lParam);
}

TreeNode TreeView::Parent(TreeNode node) const {
    if (!node) return nullptr;
    return reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(node)));
}

TreeNode TreeView::FirstChild(TreeNode node) const {
    if (!node) return reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    return reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
}

TreeNode TreeView::NextSibling(TreeNode node) const {
    if (!node) return nullptr;
    return reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)));
}

void TreeView::SortChildren(TreeNode node) {
    SendMessageW(hwnd_, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(node ? node : TVI_ROOT));
}

bool TreeView::HasButton(TreeNode node) const {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    if (!node || !SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
    return item.cChildren != 0;
}

void TreeView::SetHasButton(TreeNode node, bool hasButton) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    item.cChildren = hasButton ? 1 : 0;
    SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TreeView::Expand(TreeNode node) {
    if (!node) return;
    // The control notifies only the first programmatic expanding of a node;
    // forgetting that it was expanded once makes every Expand ask OnExpanding.
    TVITEMW item{};
    item.mask = TVIF_STATE;
    item.hItem = node;
    item.stateMask = TVIS_EXPANDEDONCE;
    item.state = 0;
    SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(hwnd_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void TreeView::Collapse(TreeNode node) {
    if (node) SendMessageW(hwnd_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node));
}

bool TreeView::Expanded(TreeNode node) const {
    if (!node) return false;
    const LRESULT state = SendMessageW(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED);
    return (state & TVIS_EXPANDED) != 0;
}

TreeNode TreeView::Selected() const {
    return reinterpret_cast<TreeNode>(SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void TreeView::Select(TreeNode node) {
    SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

std::optional<LRESULT> TreeView::Notify(const NMHDR& header) {
    // The A and W forms share the fields read here; the control picks one by the form's character set.
    const auto& nm = reinterpret_cast<const NMTREEVIEWW&>(header);
    switch (header.code) {
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDINGA:
        if ((nm.action & (TVE_EXPAND | TVE_COLLAPSE)) == TVE_EXPAND && OnExpanding) return OnExpanding(nm.itemNew.hItem) ? FALSE : TRUE;
        return FALSE;
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        if (OnChange) OnChange(nm.itemNew.hItem);
        return 0;
    default:
        return std::nullopt;
    }
}

}  // namespace plivex::ui
