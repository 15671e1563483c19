// The window layer's remaining controls as the program's windows use them:
// list and combo boxes, a lazily filled tree, pages, the status bar, tool
// buttons and the splitter, on real windows under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "ui/app_win.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"
#include "ui/page_control_win.h"
#include "ui/splitter_win.h"
#include "ui/status_bar_win.h"
#include "ui/tool_button_win.h"
#include "ui/tree_view_win.h"

namespace plivex::ui {
namespace {

// Sends a key through the program's own loop, as if typed.
void Key(UINT vk) {
    HWND target = GetFocus();
    ASSERT_NE(target, nullptr);
    PostMessageW(target, WM_KEYDOWN, vk, 0);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000000);
    Application::Get().ProcessMessages();
}

// A form shown for the length of a test, so that focus and keys work.
class ShownForm : public Form {
public:
    explicit ShownForm(int width = 400, int height = 300, BorderStyle style = BorderStyle::Single)
        : Form(width, height, "試験", style) {}
    ~ShownForm() override { Hide(); }
};

// A control's place in its form's client area, in pixels.
RECT PlaceOf(const Control& c) {
    RECT r;
    GetWindowRect(c.Handle(), &r);
    MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ClickListItem(ListBox& list, int index, WPARAM keys = 0, bool twice = false) {
    RECT r;
    ASSERT_NE(SendMessageW(list.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)),
              LB_ERR);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageW(list.Handle(), WM_LBUTTONUP, keys, at);
    if (twice) {
        SendMessageW(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON | keys, at);
        SendMessageW(list.Handle(), WM_LBUTTONUP, keys, at);
    }
    Application::Get().ProcessMessages();
}

// ---- ListBox, ComboBox ----

TEST(ControlsListBox, SortedItemsSingleSelectionAndClicks) {
    ShownForm form;
    ListBox list(form, 8, 8, 200, 150, 0, {.sorted = true});
    int clicks = 0, doubleClicks = 0;
    list.OnClick = [&] { ++clicks; };
    list.OnDblClick = [&] { ++doubleClicks; };
    list.AddItem("report.doc");
    list.AddItem("Budget.xls");
    EXPECT_EQ(list.AddItem("memo.txt"), 1);  // placed by its text
    list.AddItem("報告書.pvx");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"Budget.xls", "memo.txt", "report.doc", "報告書.pvx"}));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Item(3), "報告書.pvx");
    EXPECT_EQ(list.FindItem("REPORT.DOC"), 2);  // letter case ignored
    EXPECT_EQ(list.FindItem("report"), -1);     // whole texts only

    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_TRUE(list.SelectedIndices().empty());
    list.SetItemIndex(2);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{2});
    list.SetSelected(2, false);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(clicks, 0);  // the program's own changes are not clicks

    form.Show();
    ClickListItem(list, 1);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 0);
    ClickListItem(list, 3, 0, true);
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(doubleClicks, 1);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
}

TEST(ControlsListBox, ExtendedMultiSelectReadBackAndSwitchingKinds) {
    ShownForm form;
    ListBox list(form, 8, 8, 200, 150, 0, {.multiSelect = true});
    list.SetItems({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    int clicks = 0;
    list.OnClick = [&] { ++clicks; };
    form.Show();
    list.SetFocus();

    ClickListItem(list, 0);
    ClickListItem(list, 2, MK_SHIFT);  // a range from the anchor
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{0, 1, 2}));
    ClickListItem(list, 4, MK_CONTROL);  // one more, the others stay
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{0, 1, 2, 4}));
    ClickListItem(list, 1, MK_CONTROL);  // toggled off
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(list.SelCount(), 3);
    EXPECT_FALSE(list.Selected(1));
    EXPECT_EQ(list.ItemIndex(), 1);  // the focused item
    EXPECT_EQ(clicks, 4);
    ClickListItem(list, 3);  // a plain click selects only that item
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{3});

    list.SetSelectedIndices({4, 1});
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{1, 4}));  // list order

    // The kind is fixed per window: switching recreates it in place.
    const HWND before = list.Handle();
    const RECT place = PlaceOf(list);
    list.SetMultiSelect(false);
    EXPECT_FALSE(IsWindow(before));
    const RECT after = PlaceOf(list);
    EXPECT_TRUE(EqualRect(&place, &after) != FALSE);
    EXPECT_EQ(GetDlgCtrlID(list.Handle()), list.Id());
    EXPECT_TRUE(list.Focused());
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}));
    ClickListItem(list, 2);
    ClickListItem(list, 3, MK_CONTROL);
    EXPECT_EQ(list.SelectedIndices(), std::vector<int>{3});
    EXPECT_EQ(clicks, 7);  // the new window reports to the same handler

    list.SetMultiSelect(true);
    ClickListItem(list, 0);
    ClickListItem(list, 1, MK_CONTROL);
    EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{0, 1}));
}

TEST(ControlsComboBox, ItemIndexWithNoneAndUserChange) {
    ShownForm form;
    ComboBox combo(form, 8, 8, 321, 21, 0);
    combo.SetItems({"暗号化ファイル (*.pvx)", "すべてのファイル (*.*)", "文書 (*.doc,*.txt)"});
    int changes = 0, indexSeen = -2;
    combo.OnChange = [&] {
        ++changes;
        indexSeen = combo.ItemIndex();
    };
    EXPECT_EQ(combo.Count(), 3);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
    combo.SetItemIndex(1);
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(combo.Text(), "すべてのファイル (*.*)");
    EXPECT_EQ(combo.Item(2), "文書 (*.doc,*.txt)");
    combo.SetItemIndex(-1);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(changes, 0);

    form.Show();
    combo.SetItemIndex(0);
    combo.SetFocus();
    Key(VK_DOWN);
    EXPECT_EQ(combo.ItemIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(indexSeen, 1);  // the handler sees the new choice

    combo.SetItems({"テキスト (*.txt)"});
    EXPECT_EQ(combo.Count(), 1);
    EXPECT_EQ(combo.ItemIndex(), -1);
    // The opened list has room for several items below the closed field.
    RECT r;
    SendMessageW(combo.Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_GT(r.bottom - r.top, 3 * (PlaceOf(combo).bottom - PlaceOf(combo).top));
}

// ---- TreeView ----

// A tree over a made-up folder hierarchy, read on expanding as a folder tree is.
class FolderTree {
public:
    explicit FolderTree(Form& form) : tree(form, 8, 8, 217, 273, 0) {
        tree.OnExpanding = [this](TreeNode node) { return CanExpand(node); };
        // A fixed disk is probed for a button; another drive gets one unseen.
        tree.SetHasButton(tree.AddNode(nullptr, "C:"), HasSubfolders("C:"));
        tree.AddNode(nullptr, "D:", 0, true);
    }

    std::string Path(TreeNode node) const {
        std::string path;
        for (; node; node = tree.Parent(node)) path = tree.NodeText(node) + (path.empty() ? "" : "\\") + path;
        return path;
    }
    bool HasSubfolders(const std::string& path) const {
        auto it = folders.find(path);
        return it != folders.end() && !it->second.empty();
    }
    bool CanExpand(TreeNode node) {
        expanding.push_back(Path(node));
        if (loading) return false;
        if (tree.FirstChild(node)) return true;  // read once
        const std::string path = Path(node);
        for (const auto& name : folders[path]) tree.AddNode(node, name, 0, HasSubfolders(path + "\\" + name));
        tree.SortChildren(node);
        if (!tree.FirstChild(node)) tree.SetHasButton(node, false);
        return true;
    }
    std::vector<std::string> Children(TreeNode node) const {
        std::vector<std::string> names;
        for (TreeNode c = tree.FirstChild(node); c; c = tree.NextSibling(c)) names.push_back(tree.NodeText(c));
        return names;
    }
    TreeNode Find(TreeNode parent, const std::string& name) const {
        for (TreeNode c = tree.FirstChild(parent); c; c = tree.NextSibling(c))
            if (tree.NodeText(c) == name) return c;
        return nullptr;
    }

    TreeView tree;
    std::map<std::string, std::vector<std::string>> folders{
        {"C:", {"Windows", "data", "空のフォルダ"}}, {"C:\\data", {"2024"}}, {"C:\\Windows", {"system32"}}};
    std::vector<std::string> expanding;
    bool loading = false;
};

TEST(ControlsTree, LazyExpansionReadsChildrenOnceAndDropsEmptyButtons) {
    ShownForm form;
    FolderTree f(form);
    TreeView& tree = f.tree;
    const TreeNode c = f.Find(nullptr, "C:"), d = f.Find(nullptr, "D:");
    ASSERT_TRUE(c && d);
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_TRUE(tree.HasButton(c));
    EXPECT_TRUE(tree.HasButton(d));
    EXPECT_EQ(tree.FirstChild(c), nullptr);  // nothing read yet

    tree.Expand(c);
    EXPECT_EQ(f.expanding, std::vector<std::string>{"C:"});
    EXPECT_TRUE(tree.Expanded(c));
    EXPECT_EQ(f.Children(c), (std::vector<std::string>{"data", "Windows", "空のフォルダ"}));  // case ignored
    const TreeNode data = f.Find(c, "data"), empty = f.Find(c, "空のフォルダ");
    EXPECT_EQ(tree.Parent(data), c);
    EXPECT_TRUE(tree.HasButton(data));
    EXPECT_FALSE(tree.HasButton(empty));

    // A drive offered a button unseen turns out empty: the button goes, the node stays closed.
    tree.Expand(d);
    EXPECT_FALSE(tree.HasButton(d));
    EXPECT_FALSE(tree.Expanded(d));
    EXPECT_EQ(tree.FirstChild(d), nullptr);

    // Opening again asks again, but the children are read only once.
    tree.Collapse(c);
    EXPECT_FALSE(tree.Expanded(c));
    tree.Expand(c);
    EXPECT_EQ(f.expanding.size(), 3u);
    EXPECT_EQ(tree.Count(), 5);

    // The user opens a folder with the keyboard.
    form.Show();
    tree.SetFocus();
    tree.Select(data);
    Key(VK_RIGHT);
    EXPECT_EQ(f.expanding.back(), "C:\\data");
    EXPECT_TRUE(tree.Expanded(data));
    EXPECT_EQ(f.Children(data), std::vector<std::string>{"2024"});

    // While loading the tree refuses to open; removing the children keeps the button to read them again.
    const TreeNode windows = f.Find(c, "Windows");
    f.loading = true;
    tree.Expand(windows);
    EXPECT_FALSE(tree.Expanded(windows));
    EXPECT_EQ(tree.FirstChild(windows), nullptr);
    f.loading = false;
    tree.DeleteChildren(c);
    EXPECT_EQ(tree.FirstChild(c), nullptr);
    EXPECT_TRUE(tree.HasButton(c));
    tree.Collapse(c);
    tree.Expand(c);
    EXPECT_EQ(f.Children(c).size(), 3u);
}

TEST(ControlsTree, SelectionChangesNotifyAndNodesKeepTextAndData) {
    ShownForm form;
    TreeView tree(form, 8, 8, 200, 200, 0);
    std::vector<TreeNode> changes;
    tree.OnChange = [&](TreeNode n) { changes.push_back(n); };
    const TreeNode root = tree.AddNode(nullptr, "C:", 42);
    const TreeNode docs = tree.AddNode(root, "文書", 7);
    const TreeNode music = tree.AddNode(root, "Music");
    EXPECT_EQ(tree.NodeData(root), 42u);
    EXPECT_EQ(tree.NodeData(docs), 7u);
    EXPECT_EQ(tree.NodeText(docs), "文書");
    tree.SetNodeText(music, "音楽");
    EXPECT_EQ(tree.NodeText(music), "音楽");
    EXPECT_TRUE(tree.HasButton(root));  // it has children
    EXPECT_EQ(tree.Selected(), nullptr);

    tree.Select(docs);  // selecting a hidden node opens its parent
    EXPECT_EQ(tree.Selected(), docs);
    EXPECT_TRUE(tree.Expanded(root));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes.back(), docs);

    form.Show();
    tree.SetFocus();
    Key(VK_DOWN);
    EXPECT_EQ(tree.Selected(), music);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes.back(), music);
    Key(VK_LEFT);  // to the parent
    EXPECT_EQ(tree.Selected(), root);
    EXPECT_EQ(changes.back(), root);

    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Selected(), nullptr);
}

// ---- PageControl ----

class SettingsLikeForm : public ShownForm {
public:
    SettingsLikeForm()
        : Pages(*this, 8, 8, 280, 300, 0),
          File(Pages.AddPage("ファイル")),
          Other(Pages.AddPage("その他")),
          ConfirmName(*this, 24, 40, 240, 17, "&F・解凍する前にファイル名を確認", 1),
          DeleteRaw(*this, 24, 64, 240, 17, "&P・暗号化する時に元のファイルを削除", 2),
          SeePassword(*this, 24, 40, 240, 17, "&V・パスワードを見えるようにする", 3),
          Ok(*this, 304, 16, 89, 25, "&OK", 4) {
        File.Add({&ConfirmName, &DeleteRaw});
        Other.Add(SeePassword);
    }
    PageControl Pages;
    TabSheet& File;
    TabSheet& Other;
    CheckBox ConfirmName;
    CheckBox DeleteRaw;
    CheckBox SeePassword;
    Button Ok;
};

TEST(ControlsPageControl, SwitchingShowsOnlyTheActivePagesControls) {
    SettingsLikeForm form;
    int changes = 0;
    form.Pages.OnChange = [&] {
        ++changes;
        EXPECT_TRUE(form.SeePassword.Visible());  // already switched when the handler runs
    };
    EXPECT_EQ(form.Pages.PageCount(), 2);
    EXPECT_EQ(form.Other.Caption(), "その他");
    EXPECT_EQ(form.Pages.ActivePage(), &form.File);
    EXPECT_TRUE(form.File.Active());
    EXPECT_TRUE(form.ConfirmName.Visible());
    EXPECT_FALSE(form.SeePassword.Visible());
    EXPECT_TRUE(form.Ok.Visible());  // not on a page

    form.Pages.SetActivePage(form.Other);
    EXPECT_EQ(form.Pages.ActivePageIndex(), 1);
    EXPECT_FALSE(form.ConfirmName.Visible());
    EXPECT_FALSE(form.DeleteRaw.Visible());
    EXPECT_TRUE(form.SeePassword.Visible());
    EXPECT_EQ(changes, 0);

    // A control the program hid stays hidden when its page comes back.
    form.Pages.SetActivePage(0);
    form.DeleteRaw.SetVisible(false);
    form.Pages.SetActivePage(1);
    form.Pages.SetActivePage(0);
    EXPECT_TRUE(form.ConfirmName.Visible());
    EXPECT_FALSE(form.DeleteRaw.Visible());
    form.DeleteRaw.SetVisible(true);

    // The user switches with the keyboard on the tabs.
    form.Show();
    form.Pages.SetFocus();
    Key(VK_RIGHT);
    EXPECT_EQ(form.Pages.ActivePage(), &form.Other);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(form.ConfirmName.Visible());

    // Focus does not stay on a control that disappears.
    form.SeePassword.SetFocus();
    form.Pages.SetActivePage(0);
    EXPECT_FALSE(form.SeePassword.Focused());
    EXPECT_TRUE(form.Pages.Focused());
}

TEST(ControlsPageControl, PagesControlsLieInsideTheFrameAndTakeTheMouse) {
    SettingsLikeForm form;
    const RECT area = form.Pages.PageArea();
    EXPECT_GT(area.left, form.Pages.Left());
    EXPECT_GT(area.top, form.Pages.Top() + 10);  // below the tabs
    EXPECT_LT(area.right, form.Pages.Right());
    EXPECT_LT(area.bottom, form.Pages.Bottom());
    // The pages' controls are siblings under the tab control in Tab order: the
    // mouse must still reach them, not the tab control.
    form.Show();
    RECT r;
    GetWindowRect(form.ConfirmName.Handle(), &r);
    EXPECT_EQ(WindowFromPoint(POINT{r.left + 5, (r.top + r.bottom) / 2}), form.ConfirmName.Handle());
    // The tabs themselves belong to the tab control.
    ASSERT_TRUE(SendMessageW(form.Pages.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
    POINT tab{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(form.Pages.Handle(), &tab);
    EXPECT_EQ(WindowFromPoint(tab), form.Pages.Handle());
}

// ---- StatusBar ----

TEST(ControlsStatusBar, SimpleTextAndDockingAtTheBottom) {
    ShownForm fixed(275, 94);
    StatusBar bar(fixed);
    EXPECT_EQ(bar.SimpleText(), "");
    bar.SetSimpleText("暗号化：report.doc　他2個");
    EXPECT_EQ(bar.SimpleText(), "暗号化：report.doc　他2個");
    bar.SetSimpleText("設定を変更しました。");
    EXPECT_EQ(bar.SimpleText(), "設定を変更しました。");
    EXPECT_EQ(GetWindowLongPtrW(bar.Handle(), GWL_STYLE) & SBARS_SIZEGRIP, 0);  // no grip on a fixed window

    RECT client, place = PlaceOf(bar);
    GetClientRect(fixed.Handle(), &client);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.right, client.right);
    EXPECT_EQ(place.bottom, client.bottom);
    EXPECT_GT(place.bottom - place.top, 12);
    EXPECT_EQ(bar.Top() + bar.Height(), 94);

    ShownForm sizeable(300, 200, BorderStyle::Sizeable);
    StatusBar grip(sizeable);
    EXPECT_NE(GetWindowLongPtrW(grip.Handle(), GWL_STYLE) & SBARS_SIZEGRIP, 0);
    sizeable.Show();
    sizeable.SetClientSize(420, 260);
    place = PlaceOf(grip);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.right, 420);
    EXPECT_EQ(place.bottom, 260);
    EXPECT_EQ(grip.Top(), 260 - grip.Height());
    EXPECT_EQ(grip.Width(), 420);
}

// ---- ToolButton ----

// Paints a control through its Draw into a 32-bit bitmap and reads pixels back.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    void Paint(Control& c, UINT state = 0) {
        PatBlt(dc_, 0, 0, w_, h_, BLACKNESS);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = c.Handle();
        item.hDC = dc_;
        item.rcItem = {0, 0, w_, h_};
        c.Draw(item);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(ControlsToolButton, ClickKeepsTheFocusAndFollowsTheMouse) {
    ShownForm form;
    Edit edit(form, 8, 8, 100, 21, 0);
    ToolButton button(form, 8, 40, 30, 30, "TOOL_TEST_BMP", "設定");
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    form.Show();
    edit.SetFocus();

    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    Application::Get().ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(edit.Focused());  // a tool button never takes the focus

    // Pressed, then released outside: no click.
    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    EXPECT_TRUE(button.Pressed());
    SendMessageW(button.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 15));
    EXPECT_FALSE(button.Pressed());
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 15));
    EXPECT_EQ(clicks, 1);
    // Pressed and released on it: one click.
    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(16, 14));
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button.Pressed());
    EXPECT_TRUE(edit.Focused());

    button.SetEnabled(false);
    button.Click();
    EXPECT_EQ(clicks, 2);
}

TEST(ControlsToolButton, FlatPictureWithSeeThroughGround) {
    ShownForm form;
    ToolButton button(form, 8, 40, 30, 30, "TOOL_TEST_BMP");
    ASSERT_TRUE(button.HasBitmap());
    const COLORREF face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                   shadow = GetSysColor(COLOR_BTNSHADOW);
    ASSERT_NE(face, light);
    ASSERT_NE(face, shadow);
    Canvas canvas(30, 30);

    // At rest: flat, the picture's ground is the face, its red square in the middle.
    canvas.Paint(button);
    EXPECT_EQ(canvas.At(0, 0), face);
    EXPECT_EQ(canvas.At(4, 4), face);  // a ground pixel of the picture
    EXPECT_EQ(canvas.At(15, 15), kRed);
    EXPECT_EQ(canvas.At(19, 19), face);

    // Under the mouse: a raised edge; gone again when the mouse leaves.
    SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
    EXPECT_TRUE(button.Hot());
    canvas.Paint(button);
    EXPECT_EQ(canvas.At(0, 0), light);
    SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.Hot());
    canvas.Paint(button);
    EXPECT_EQ(canvas.At(0, 0), face);

    // Pressed: a sunken edge, the picture one pixel down and right.
    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    canvas.Paint(button);
    EXPECT_EQ(canvas.At(0, 0), shadow);
    EXPECT_EQ(canvas.At(19, 19), kRed);
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
}

TEST(ControlsToolButton, MissingPictureIsNotFatal) {
    ShownForm form;
    ToolButton button(form, 8, 40, 30, 30, "NO_SUCH_BMP", "ヘルプ");
    EXPECT_FALSE(button.HasBitmap());
    Canvas canvas(30, 30);
    canvas.Paint(button);
    EXPECT_EQ(canvas.At(15, 15), GetSysColor(COLOR_BTNFACE));
    int clicks = 0;
    button.OnClick = [&] { ++clicks; };
    form.Show();
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.Hint(), "ヘルプ");
    EXPECT_TRUE(button.LoadPicture("TOOL_TEST_BMP"));
    EXPECT_FALSE(button.LoadPicture("ALSO_MISSING_BMP"));
    EXPECT_FALSE(button.HasBitmap());
}

TEST(ControlsToolButton, TheMainWindowsPicturesLoad) {
    ShownForm form;
    for (const char* name : {"SETTING_BMP", "HELP_BMP", "HOMEPAGE_BMP", "ABOUT_BMP"}) {
        ToolButton button(form, 8, 40, 30, 30, name);
        EXPECT_TRUE(button.HasBitmap()) << name;
    }
}

TEST(ControlsToolButton, HintTextAndDisplayTime) {
    ShownForm form;
    Application& app = Application::Get();
    const int savedPause = app.HintHidePause();
    app.SetHintHidePause(2500);
    ToolButton button(form, 72, 40, 30, 30, "TOOL_TEST_BMP", "作者のホームページ");
    ASSERT_NE(button.TooltipHandle(), nullptr);
    EXPECT_EQ(button.Hint(), "作者のホームページ");
    button.SetHint("バージョン情報");
    EXPECT_EQ(button.Hint(), "バージョン情報");
    EXPECT_EQ(SendMessageW(button.TooltipHandle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 2500);

    // The program may change the hint time later; the tooltip follows at the next hover.
    app.SetHintHidePause(4000);
    SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(SendMessageW(button.TooltipHandle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 4000);
    SendMessageW(button.Handle(), WM_MOUSELEAVE, 0, 0);
    app.SetHintHidePause(savedPause);
}

// ---- Splitter ----

// The file selection window's pane: a tree, the bar, a list, within 545 pixels.
class PaneForm : public ShownForm {
public:
    PaneForm()
        : ShownForm(545, 273),
          Tree(*this, 0, 0, 217, 273, 0),
          List(*this, 221, 0, 324, 273, 1),
          Bar(*this, 217, 0, 4, 273, Tree, {&List}, 150) {}
    TreeView Tree;
    ListBox List;
    Splitter Bar;
};

void ExpectPanes(const PaneForm& f, int treeWidth) {
    const RECT tree = PlaceOf(f.Tree), bar = PlaceOf(f.Bar), list = PlaceOf(f.List);
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(tree.right, treeWidth);
    EXPECT_EQ(bar.left, treeWidth);
    EXPECT_EQ(bar.right, treeWidth + 4);
    EXPECT_EQ(list.left, treeWidth + 4);
    EXPECT_EQ(list.right, 545);  // the right edge stays
    EXPECT_EQ(f.Tree.Width(), treeWidth);
    EXPECT_EQ(f.List.Left(), treeWidth + 4);
    EXPECT_EQ(f.Bar.Position(), treeWidth);
}

TEST(ControlsSplitter, SetPositionKeepsMinimumSizes) {
    PaneForm f;
    ExpectPanes(f, 217);
    f.Bar.SetPosition(300);
    ExpectPanes(f, 300);
    f.Bar.SetPosition(500);
    ExpectPanes(f, 545 - 150 - 4);  // the list keeps 150
    f.Bar.SetPosition(20);
    ExpectPanes(f, 150);  // the tree keeps 150
    f.Bar.SetMinSizes(100, 200);
    f.Bar.SetPosition(400);
    ExpectPanes(f, 545 - 200 - 4);
}

TEST(ControlsSplitter, DraggingMovesTheBar) {
    PaneForm f;
    int moved = 0;
    f.Bar.OnMoved = [&] { ++moved; };
    f.Show();
    const HWND bar = f.Bar.Handle();
    // Mouse positions are relative to the bar as it stands when each message arrives.
    auto at = [&](int formX) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(formX - f.Bar.Position())), 100); };

    SendMessageW(bar, WM_MOUSEMOVE, 0, at(300));  // no button: nothing moves
    ExpectPanes(f, 217);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(219));  // taken hold of 2 pixels into the bar
    EXPECT_TRUE(f.Bar.Dragging());
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(262));
    ExpectPanes(f, 260);
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(10));  // far left: held at the minimum
    ExpectPanes(f, 150);
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(322));
    SendMessageW(bar, WM_LBUTTONUP, 0, at(322));
    ExpectPanes(f, 320);
    EXPECT_FALSE(f.Bar.Dragging());
    EXPECT_EQ(moved, 1);
    SendMessageW(bar, WM_MOUSEMOVE, 0, at(400));
    ExpectPanes(f, 320);

    // A drag that ends where it began is no move.
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(321));
    SendMessageW(bar, WM_LBUTTONUP, 0, at(321));
    EXPECT_EQ(moved, 1);
}

}  // namespace
}  // namespace plivex::ui
