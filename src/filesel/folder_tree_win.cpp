#include "filesel/folder_tree_win.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <vector>

#include "filesel/folder_path.h"
#include "sys/com_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"

namespace plivex {

namespace {

// An item identifier list, freed with the shell's allocator.
struct IdListFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;

// The desktop folder's parse-display-name applied to a path; null when it does not parse.
IdList GetIIL(IShellFolder& desktop, HWND owner, const std::string& path) {
    std::optional<std::wstring> wide = TryWiden(ShellPath(path));
    if (!wide) return nullptr;
    ITEMIDLIST* list = nullptr;
    if (FAILED(desktop.ParseDisplayName(owner, nullptr, wide->data(), nullptr, &list, nullptr))) {
        CoTaskMemFree(list);
        return nullptr;
    }
    return IdList(list);
}

// The shell folder at a path and an enumeration of its folders, hidden ones included.
struct FolderListing {
    ComRef<IShellFolder> folder;
    ComRef<IEnumIDList> items;
};

bool OpenListing(HWND owner, const std::string& path, FolderListing& out) {
    EnsureCom();
    ComRef<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop) return false;
    const IdList list = GetIIL(*desktop.Get(), owner, path);
    if (!list) return false;
    void** folder = reinterpret_cast<void**>(out.folder.Put());
    if (FAILED(desktop->BindToObject(list.get(), nullptr, IID_IShellFolder, folder)) || !out.folder) return false;
    // S_FALSE with no enumerator means nothing can be listed (for example, the user cancelled).
    return out.folder->EnumObjects(owner, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, out.items.Put()) == S_OK &&
           out.items;
}

// Text in the system's ANSI code page, as the shell's two non-wide name kinds hold it.
std::string FromAnsi(const char* text, std::size_t length) {
    if (length == 0) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(), n);
    return Narrow(wide);
}

// Locale-aware upper case, so that names compare as the user reads them.
std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

std::string STRRETToAStr(const ITEMIDLIST* list, STRRET& name) {
    switch (name.uType) {
    case STRRET_WSTR: {
        std::string text = name.pOleStr ? Narrow(name.pOleStr) : std::string();
        CoTaskMemFree(name.pOleStr);
        name.pOleStr = nullptr;
        return text;
    }
    case STRRET_OFFSET: {
        const char* start = reinterpret_cast<const char*>(list) + name.uOffset;
        return FromAnsi(start, std::strlen(start));
    }
    case STRRET_CSTR:
        return FromAnsi(name.cStr, strnlen(name.cStr, sizeof name.cStr));
    default:
        return {};
    }
}

FolderTree::FolderTree(ui::Form& form, int left, int top, int width, int height, int tabOrder)
    : TreeView(form, left, top, width, height, tabOrder) {
    OnExpanding = [this](ui::TreeNode node) { return CanExpand(node); };
    Update();
}

void FolderTree::Loaded() { loading_ = false; }

void FolderTree::Update() {
    ui::BusyCursor busy;
    Clear();
    fsNames_.clear();
    // A run of zero-terminated root paths ("C:\"), ended by an empty one.
    std::vector<wchar_t> drives;
    for (DWORD size = 128;;) {
        drives.assign(size + 1, L'\0');
        const DWORD length = GetLogicalDriveStringsW(size, drives.data());
        if (length == 0) return;
        if (length < size) break;
        size = length + 1;
    }
    for (const wchar_t* root = drives.data(); *root; root += wcslen(root) + 1) {
        const ui::TreeNode node = AddNode(nullptr, DriveNodeText(Narrow(root)));
        // Only fixed disks are looked at: removable and network drives are not
        // touched until the user opens them.
        if (GetDriveTypeW(root) == DRIVE_FIXED)
            ExpPlusIcon(node);
        else
            SetHasButton(node, true);
    }
}

void FolderTree::ExpPlusIcon(ui::TreeNode node) {
    FolderListing listing;
    if (!OpenListing(hwnd_, GetPath(node), listing)) return;
    ITEMIDLIST* first = nullptr;
    ULONG fetched = 0;
    if (listing.items->Next(1, &first, &fetched) == S_OK && fetched == 1) SetHasButton(node, true);
    CoTaskMemFree(first);
}

bool FolderTree::MakeSubNode(ui::TreeNode node) {
    FolderListing listing;
    if (!OpenListing(hwnd_, GetPath(node), listing)) return false;
    for (;;) {
        ITEMIDLIST* raw = nullptr;
        ULONG fetched = 0;
        if (listing.items->Next(1, &raw, &fetched) != S_OK || fetched != 1) {
            CoTaskMemFree(raw);
            break;
        }
        const IdList item(raw);
        STRRET name{};
        // A folder whose name cannot be read could not be reached by its path either.
        if (FAILED(listing.folder->GetDisplayNameOf(item.get(), SHGDN_NORMAL, &name))) continue;
        const std::string text = STRRETToAStr(item.get(), name);
        if (text.empty()) continue;
        // The node shows the display name, but paths are built from the name in
        // the file system: the shell may show a folder under another name
        // (a localised "Users"), and that name is no path.
        STRRET parsing{};
        std::string fsName;
        if (SUCCEEDED(listing.folder->GetDisplayNameOf(item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &parsing)))
            fsName = STRRETToAStr(item.get(), parsing);
        if (fsName.empty()) fsName = text;
        fsNames_.push_back(fsName);
        ExpPlusIcon(AddNode(node, text, fsNames_.size()));
    }
    return true;
}

bool FolderTree::CanExpand(ui::TreeNode node) {
    if (loading_ || !node) return false;
    if (FirstChild(node)) return true;  // children are read only once, until Update
    ui::BusyCursor busy;
    if (!MakeSubNode(node)) return false;
    SortChildren(node);
    if (!FirstChild(node)) SetHasButton(node, false);
    return true;
}

std::string FolderTree::GetPath(ui::TreeNode node) const {
    std::vector<std::string> texts;
    for (; node; node = Parent(node)) texts.push_back(FileSystemName(node));
    std::reverse(texts.begin(), texts.end());
    return FolderPathOf(texts);
}

std::string FolderTree::PathName() const {
    const ui::TreeNode node = Selected();
    return node ? GetPath(node) : std::string();
}

std::string FolderTree::FolderName() const { return FolderNameOf(PathName()); }

void FolderTree::SetPathName(const std::string& path) {
    ui::TreeNode node = nullptr;
    for (const FolderSegment& step : FolderPathSegments(path)) {
        if (step.drive) {
            node = SerchRootNode(step.name);
        } else {
            // Opening the node reads its children even before Loaded; only this
            // node is opened, its descendants stay unread.
            const bool wasLoading = loading_;
            loading_ = false;
            Expand(node);
            loading_ = wasLoading;
            node = SerchChildNode(node, step.name);
        }
        if (!node) return;  // the selection stays as it was
    }
    if (node) Select(node);
}

ui::TreeNode FolderTree::SerchRootNode(const std::string& name) const {
    const std::wstring wanted = Upper(Widen(name));
    for (ui::TreeNode n = FirstChild(nullptr); n; n = NextSibling(n))
        if (Upper(Widen(NodeText(n))) == wanted) return n;
    return nullptr;
}

ui::TreeNode FolderTree::SerchChildNode(ui::TreeNode parent, const std::string& name) {
    if (!parent) return nullptr;
    CanExpand(parent);
    const std::wstring wanted = Upper(Widen(name));
    for (ui::TreeNode n = FirstChild(parent); n; n = NextSibling(n))
        if (Upper(Widen(NodeText(n))) == wanted || Upper(Widen(FileSystemName(n))) == wanted) return n;
    return nullptr;
}

std::string FolderTree::FileSystemName(ui::TreeNode node) const {
    const std::uintptr_t index = NodeData(node);
    return index == 0 || index > fsNames_.size() ? NodeText(node) : fsNames_[index - 1];
}

void FolderTree::SetHint(const std::string& hint) {
    hint_ = hint;
    hints_.Set(hwnd_, hint);
}

}  // namespace plivex
