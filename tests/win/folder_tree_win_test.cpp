// The folder tree over real folders in a temporary folder, read through the
// shell namespace under Wine. Only the nodes along the paths written are
// opened, so drive Z: (the whole Unix file system) is never read.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "filesel/folder_tree_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "win_support.h"

namespace plivex {
namespace {

using ui::TreeNode;

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryW(Widen(path).c_str(), nullptr)) << path; }

std::string Lower(const std::string& text) {
    std::wstring wide = Widen(text);
    CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}

std::vector<std::string> Children(const FolderTree& tree, TreeNode node) {
    std::vector<std::string> names;
    for (TreeNode c = tree.FirstChild(node); c; c = tree.NextSibling(c)) names.push_back(tree.NodeText(c));
    return names;
}

TreeNode Child(const FolderTree& tree, TreeNode parent, const std::string& name) {
    for (TreeNode c = tree.FirstChild(parent); c; c = tree.NextSibling(c))
        if (tree.NodeText(c) == name) return c;
    return nullptr;
}

class ExpViewLiteTest : public testing::Test {
protected:
    ExpViewLiteTest() { tree.OnChange = [this](TreeNode n) { changes.push_back(n); }; }

    ui::Form form{400, 300, "フォルダの参照"};
    FolderTree tree{form, 8, 8, 217, 273, 0};
    std::vector<TreeNode> changes;
    test::TempDir tmp;
};

TEST_F(ExpViewLiteTest, DrivesAreRootNodesAndDrivePathsSelectThem) {
    std::vector<std::string> roots = Children(tree, nullptr);
    ASSERT_FALSE(roots.empty());
    for (const std::string& r : roots) EXPECT_TRUE(r.size() == 2 && r[0] >= 'A' && r[0] <= 'Z' && r[1] == ':') << r;
    // A fixed disk gets a button when it has a subfolder; any other drive gets
    // one unseen. Nothing is read below the drives yet.
    for (TreeNode d = tree.FirstChild(nullptr); d; d = tree.NextSibling(d)) {
        const std::string root = tree.NodeText(d) + "\\";
        bool button = GetDriveTypeW(Widen(root).c_str()) != DRIVE_FIXED;
        WIN32_FIND_DATAW fd;
        const HANDLE h = FindFirstFileW(Widen(root + "*").c_str(), &fd);
        for (bool more = h != INVALID_HANDLE_VALUE; more && !button; more = FindNextFileW(h, &fd))
            button = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wcscmp(fd.cFileName, L".") &&
                     wcscmp(fd.cFileName, L"..");
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        EXPECT_EQ(tree.HasButton(d), button) << root;
        EXPECT_EQ(tree.FirstChild(d), nullptr) << root;
    }
    const TreeNode c = Child(tree, nullptr, "C:"), z = Child(tree, nullptr, "Z:");
    ASSERT_TRUE(c && z);
    EXPECT_EQ(tree.PathName(), "");
    EXPECT_EQ(tree.FolderName(), "");

    tree.Loaded();
    tree.SetPathName("c:\\");
    EXPECT_EQ(tree.Selected(), c);
    EXPECT_EQ(tree.PathName(), "C:\\");
    EXPECT_EQ(tree.FolderName(), "C:");
    EXPECT_EQ(changes, std::vector<TreeNode>{c});
    tree.SetFolderName("z:");  // a bare drive, without opening it
    EXPECT_EQ(tree.Selected(), z);
    EXPECT_EQ(tree.FirstChild(z), nullptr);
    tree.SetPathName("C:");
    EXPECT_EQ(tree.Selected(), c);
    EXPECT_EQ(tree.FirstChild(c), nullptr);  // selecting a drive reads nothing
    EXPECT_EQ(changes.size(), 3u);
}

TEST_F(ExpViewLiteTest, WritingAPathSelectsItsFolderInAnyCaseOrChangesNothing) {
    MakeFolder(tmp / "Data");
    MakeFolder(tmp / "Data\\MixedCase");
    MakeFolder(tmp / "文書");
    MakeFolder(tmp / "文書\\報告書 2026");
    tree.Loaded();

    tree.SetPathName(Lower(tmp / "data\\mixedcase"));
    const TreeNode mixed = tree.Selected();
    ASSERT_NE(mixed, nullptr);
    EXPECT_EQ(tree.NodeText(mixed), "MixedCase");
    EXPECT_EQ(Lower(tree.PathName()), Lower(tmp / "Data\\MixedCase\\"));
    EXPECT_EQ(changes, std::vector<TreeNode>{mixed});

    tree.SetFolderName(tmp / "文書\\報告書 2026\\");
    const TreeNode report = tree.Selected();
    EXPECT_EQ(tree.NodeText(report), "報告書 2026");
    EXPECT_EQ(tree.NodeText(tree.Parent(report)), "文書");
    const std::string folder = tree.FolderName();
    EXPECT_EQ(Lower(folder), Lower(tmp / "文書\\報告書 2026"));
    EXPECT_EQ(tree.PathName(), folder + "\\");
    tree.SetPathName(tmp / "Data");
    EXPECT_EQ(tree.Selected(), tree.Parent(mixed));
    tree.SetFolderName(folder);  // what was read back selects the same folder again
    EXPECT_EQ(tree.Selected(), report);
    EXPECT_EQ(changes.size(), 4u);

    // A missing middle folder leaves the selection where it was, not on 文書, the deepest found.
    tree.SetPathName(tmp / "文書\\無い\\報告書 2026");
    tree.SetPathName(tmp / "Data\\MixedCase\\無い");
    // Paths without a drive colon: a network share, relative paths.
    tree.SetPathName("\\\\server\\share\\");
    tree.SetPathName("文書\\報告書 2026");
    tree.SetPathName(tmp.path().substr(2));  // the same folder without its drive
    tree.SetPathName("");
    EXPECT_EQ(tree.Selected(), report);
    EXPECT_EQ(changes.size(), 4u);
}

TEST_F(ExpViewLiteTest, ListsSubfoldersOnlyHiddenIncludedAndReadsThemOnce) {
    const std::string top = tmp / "親\\";
    MakeFolder(top);
    MakeFolder(top + "Visible");
    for (const char* name : {"One", "two", "Three"}) MakeFolder(top + "Visible\\" + name);
    MakeFolder(top + "隠し");
    MakeFolder(top + "隠し\\Inner");
    ASSERT_TRUE(SetFileAttributesW(Widen(top + "隠し").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesW(Widen(top + "隠し").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(top + "FilesOnly");
    ASSERT_TRUE(test::WriteAll(top + "FilesOnly\\note.txt", "x"));
    ASSERT_TRUE(test::WriteAll(top + "readme.txt", "x"));
    MakeFolder(top + "Emptied");
    MakeFolder(top + "Emptied\\Gone");
    tree.Loaded();

    tree.SetPathName(top);
    const TreeNode parent = tree.Selected();
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(tree.NodeText(parent), "親");
    EXPECT_EQ(tree.FirstChild(parent), nullptr);  // the folder written is selected, not opened
    tree.Expand(parent);
    EXPECT_EQ(Children(tree, parent), (std::vector<std::string>{"Emptied", "FilesOnly", "Visible", "隠し"}));
    // A button wherever a subfolder was found; the subfolders themselves are not read yet.
    const TreeNode visible = Child(tree, parent, "Visible"), hidden = Child(tree, parent, "隠し");
    const TreeNode emptied = Child(tree, parent, "Emptied");
    EXPECT_TRUE(tree.HasButton(visible));
    EXPECT_TRUE(tree.HasButton(hidden));
    EXPECT_TRUE(tree.HasButton(emptied));
    EXPECT_FALSE(tree.HasButton(Child(tree, parent, "FilesOnly")));
    EXPECT_EQ(tree.FirstChild(visible), nullptr);

    // A folder whose subfolders went away loses its button on the first attempt to open it.
    ASSERT_TRUE(RemoveDirectoryW(Widen(top + "Emptied\\Gone").c_str()));
    tree.Expand(emptied);
    EXPECT_FALSE(tree.Expanded(emptied));
    EXPECT_FALSE(tree.HasButton(emptied));

    // Sorted ignoring case; read on the first opening only, until Update.
    tree.Expand(visible);
    EXPECT_EQ(Children(tree, visible), (std::vector<std::string>{"One", "Three", "two"}));
    MakeFolder(top + "Visible\\Four");
    tree.Collapse(visible);
    tree.Expand(visible);
    EXPECT_TRUE(tree.Expanded(visible));
    EXPECT_EQ(Children(tree, visible).size(), 3u);

    tree.Update();  // forgets every folder and the selection
    const TreeNode c = Child(tree, nullptr, "C:");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(tree.FirstChild(c), nullptr);
    EXPECT_EQ(tree.PathName(), "");
    tree.SetPathName(top + "visible");
    EXPECT_EQ(tree.NodeText(tree.Selected()), "Visible");
    tree.Expand(tree.Selected());
    EXPECT_EQ(Children(tree, tree.Selected()), (std::vector<std::string>{"Four", "One", "Three", "two"}));
}

TEST_F(ExpViewLiteTest, NothingOpensWhileLoadingExceptForWritingAPath) {
    MakeFolder(tmp / "文書");
    MakeFolder(tmp / "文書\\報告書 2026");
    ASSERT_TRUE(tree.Loading());
    const TreeNode c = Child(tree, nullptr, "C:");
    ASSERT_NE(c, nullptr);
    tree.Expand(c);
    EXPECT_FALSE(tree.Expanded(c));
    EXPECT_EQ(tree.FirstChild(c), nullptr);
    EXPECT_FALSE(tree.CanExpand(c));

    // The dialog sets its folder before the tree is loaded: that path is read.
    tree.SetPathName(tmp / "文書");
    const TreeNode docs = tree.Selected();
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(tree.NodeText(docs), "文書");
    EXPECT_TRUE(tree.Loading());
    EXPECT_TRUE(tree.HasButton(docs));
    tree.Expand(docs);  // but nothing else
    EXPECT_EQ(tree.FirstChild(docs), nullptr);

    tree.Loaded();
    EXPECT_FALSE(tree.Loading());
    tree.Expand(docs);
    EXPECT_TRUE(tree.Expanded(docs));
    EXPECT_EQ(Children(tree, docs), std::vector<std::string>{"報告書 2026"});
}

TEST_F(ExpViewLiteTest, HintIsShownByATooltipOverTheTree) {
    EXPECT_EQ(tree.TooltipHandle(), nullptr);
    auto tipText = [&] {
        std::wstring buf(1024, L'\0');
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.hwnd = form.Handle();
        ti.uId = reinterpret_cast<UINT_PTR>(tree.Handle());
        ti.lpszText = buf.data();
        SendMessageW(tree.TooltipHandle(), TTM_GETTEXTW, buf.size(), reinterpret_cast<LPARAM>(&ti));
        return Narrow(ti.lpszText ? std::wstring_view(ti.lpszText) : std::wstring_view());
    };
    tree.SetHint("C:\\文書\\");
    ASSERT_NE(tree.TooltipHandle(), nullptr);
    EXPECT_EQ(tree.Hint(), "C:\\文書\\");
    EXPECT_EQ(tipText(), "C:\\文書\\");
    ui::Application& app = ui::Application::Get();
    const int pause = app.HintHidePause();
    app.SetHintHidePause(4000);
    tree.SetHint("C:\\");
    EXPECT_EQ(tipText(), "C:\\");
    EXPECT_EQ(SendMessageW(tree.TooltipHandle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 4000);
    app.SetHintHidePause(pause);
}

TEST(ExpViewLiteNames, DisplayNameRecordsOfEachKind) {
    ASSERT_EQ(GetACP(), 932u);  // the test prefix runs with the Japanese code page
    STRRET name{};
    name.uType = STRRET_WSTR;
    const std::wstring wide = L"報告書 2026";
    name.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(wchar_t)));
    ASSERT_NE(name.pOleStr, nullptr);
    wcscpy(name.pOleStr, wide.c_str());
    EXPECT_EQ(STRRETToAStr(nullptr, name), "報告書 2026");
    EXPECT_EQ(name.pOleStr, nullptr);  // freed, not left to the caller

    // An offset counts bytes from the start of the item's identifier list.
    const char item[] = "\x08\x00" "ab" "\x95\xB6\x8F\x91\x00\x00\x00";  // 文書 in code page 932 at byte 4
    name.uType = STRRET_OFFSET;
    name.uOffset = 4;
    EXPECT_EQ(STRRETToAStr(reinterpret_cast<const ITEMIDLIST*>(item), name), "文書");

    name.uType = STRRET_CSTR;
    strcpy(name.cStr, "Data \x83\x66\x81\x5B\x83\x5E");  // "Data データ"
    EXPECT_EQ(STRRETToAStr(nullptr, name), "Data データ");
    name.uType = 7;
    EXPECT_EQ(STRRETToAStr(nullptr, name), "");
}

}  // namespace
}  // namespace plivex
