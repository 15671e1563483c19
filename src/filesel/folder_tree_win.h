// A tree of the machine's drives and their folders, read lazily through the
// shell namespace. Folders only, never files.
#pragma once

#include <shlobj.h>

#include <string>
#include <vector>

#include "ui/hints_win.h"
#include "ui/tree_view_win.h"

namespace plivex {

// A shell display-name record as text, by its kind: a wide string (freed here
// with the shell's allocator), an offset in bytes into the item's identifier
// list, or characters held in the record, both of the ANSI code page; any other kind gives "".
std::string STRRETToAStr(const ITEMIDLIST* list, STRRET& name);

class FolderTree : public ui::TreeView {
public:
    // The drive level is built at once (Update); expanding is refused until Loaded.
    FolderTree(ui::Form& form, int left, int top, int width, int height, int tabOrder);

    // The owning form is complete: expanding is allowed from now on.
    void Loaded();
    bool Loading() const { return loading_; }

    // Rebuilds the drive level, forgetting every folder read so far.
    void Update();

    // Reads a node's subfolders on its first opening; false keeps it closed.
    bool CanExpand(ui::TreeNode node);

    // "C:\Data\" for the folder Data on drive C: (always ending with a backslash).
    std::string GetPath(ui::TreeNode node) const;

    // Path of the selected node ending with a backslash ("C:\"), empty when none.
    std::string PathName() const;
    // Selects the folder named by the path (any letter case); a path without a
    // drive colon, or one whose folders are not all found, changes nothing.
    void SetPathName(const std::string& path);
    // PathName without its last character ("C:" for a drive), empty when none.
    std::string FolderName() const;
    void SetFolderName(const std::string& folder) { SetPathName(folder); }

    ui::TreeNode SerchRootNode(const std::string& name) const;
    // Reads the parent's children first if they were not read yet.
    ui::TreeNode SerchChildNode(ui::TreeNode parent, const std::string& name);

    // The tooltip text of the tree (the file selection dialog shows the path in it).
    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }
    // The tooltip window that shows the hint over the tree; null until a hint is set.
    HWND TooltipHandle() const { return hints_.TooltipHandle(); }

private:
    // Gives the node an expand button when its folder holds at least one subfolder.
    void ExpPlusIcon(ui::TreeNode node);
    // Adds the node's subfolders as children; false when its folder cannot be listed.
    bool MakeSubNode(ui::TreeNode node);

    // A node's name in the file system (its display name where the shell has no other).
    std::string FileSystemName(ui::TreeNode node) const;

    bool loading_ = true;
    std::string hint_;
    std::vector<std::string> fsNames_;  // node data N names entry N-1
    ui::Hints hints_{form_};
};

}  // namespace plivex
