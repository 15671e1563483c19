// The file selection dialog on real folders and files: the list and its
// patterns, accepting with its checks and messages, the result copied into
// the component and announced to the caller's window.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "dialogs/place_win.h"
#include "filesel/file_dialog_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"

namespace plivex {
namespace {

using Strings = std::vector<std::string>;
using test::Key;

constexpr int kChosen = 1027;

// The caller: records which of its handlers was told of a choice, in order.
struct Receiver {
    std::vector<int> received;
    std::function<void()> onMessage;
    FileDialog::ChosenHandler Handler(int id) {
        return [this, id] {
            received.push_back(id);
            if (onMessage) onMessage();
        };
    }
};

// Types text into an edit as the keyboard would, so the edit marks itself modified.
void Type(ui::Edit& edit, const std::string& text) {
    for (wchar_t c : Widen(text)) PostMessageW(edit.Handle(), WM_CHAR, c, 1);
    ui::Application::Get().ProcessMessages();
}

void ClearAndType(ui::Edit& edit, const std::string& text) {
    edit.SetText("");
    Type(edit, text);
}

// A mouse click (or double click) on an item of the list.
void ClickItem(ui::ListBox& list, int index, bool twice = false) {
    RECT r{};
    SendMessageW(list.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
    PostMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list.Handle(), WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list.Handle(), WM_LBUTTONUP, 0, at);
    }
    ui::Application::Get().ProcessMessages();
}

// The combo picked by the user (the program's own ItemIndex does not notify).
void PickType(FileDialogForm& form, int index) {
    auto& ctl = form.ControlsForTest();
    ctl.CBoxFileType.SetItemIndex(index);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(ctl.CBoxFileType.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ctl.CBoxFileType.Handle()));
}

Strings Sorted(Strings s) {
    std::sort(s.begin(), s.end());
    return s;
}

class FileSel : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetMsgBoxResponder([this](const std::string& text, const std::string& caption, unsigned style) {
            asked.push_back(text + "|" + caption + "|" + std::to_string(style));
            return answer;
        });
        folder = tmp / "資料フォルダ\\";
        CreateDirectoryW(Widen(folder).c_str(), nullptr);
        for (const char* name : {"報告書.txt", "メモ.TXT", "b.doc", " 空白.doc", "データ.pvx"})
            ASSERT_TRUE(test::WriteAll(folder + name, "x"));
        CreateDirectoryW(Widen(folder + "フォルダ.txt").c_str(), nullptr);
        CreateDirectoryW(Widen(folder + "下位").c_str(), nullptr);
        sel.SetInitialFolder(folder.substr(0, folder.size() - 1));
        sel.SetOnChosen(receiver.Handler(kChosen));
    }
    void TearDown() override {
        if (sel.Form()) sel.Form()->Hide();
        ui::SetMsgBoxResponder(nullptr);
    }

    // Opens the dialog as its owners do.
    FileDialogForm& Open() {
        sel.Create();
        sel.RefreshDialog();
        sel.Show();
        ui::Application::Get().ProcessMessages();
        return *sel.Form();
    }
    FileDialogForm& Accept(const std::string& name) {
        FileDialogForm& form = *sel.Form();
        auto& ctl = form.ControlsForTest();
        ctl.EditFileName.SetText(name);
        ctl.ButtonOk.Click();
        return form;
    }
    bool SameFolder(const std::string& a, const std::string& b) { return SameTextIgnoringCase(a, b); }

    test::TempDir tmp;
    std::string folder;  // ends with a backslash
    Receiver receiver;
    FileDialog sel;
    Strings asked;
    MsgAnswer answer = MsgAnswer::kOk;
};

TEST_F(FileSel, ComponentDefaultsAndFileTypes) {
    FileDialog fresh;
    EXPECT_EQ(fresh.GetCaption(), "ファイルの選択");
    EXPECT_EQ(fresh.FormWidth(), 585);
    EXPECT_EQ(fresh.FormHeight(), 433);
    const ScreenSize screen = PrimaryScreen();
    EXPECT_EQ(fresh.Left(), (screen.width - 585) / 2);
    EXPECT_EQ(fresh.Top(), (screen.height - 433) / 2);
    EXPECT_FALSE(fresh.FileMustExist() || fresh.MultiSelect() || fresh.OverwritePrompt());
    EXPECT_TRUE(fresh.WildCardFree());
    EXPECT_EQ(fresh.FileTypeIndex(), 0);
    // The program's own folder, without a trailing backslash, for the empty text.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::string self = Narrow(exe);
    EXPECT_EQ(fresh.InitialFolder(), self.substr(0, self.find_last_of('\\')));
    fresh.SetInitialFolder("D:\\別");
    fresh.SetInitialFolder("");
    EXPECT_EQ(fresh.InitialFolder(), self.substr(0, self.find_last_of('\\')));

    EXPECT_EQ(fresh.FileTypeList(), Strings{"すべてのファイル (*.*)"});
    EXPECT_TRUE(fresh.AddFileType("暗号ファイル", "*.pvx", 2147483647));
    EXPECT_FALSE(fresh.AddFileType("暗号ファイル", "*.PVX", 0));
    EXPECT_TRUE(fresh.AddFileType("外持ファイル", "*.pvxe", -5));
    EXPECT_EQ(fresh.FileTypeList(), (Strings{"外持ファイル (*.pvxe)", "すべてのファイル (*.*)", "暗号ファイル (*.pvx)"}));
    fresh.SetFileTypeIndex(2);
    EXPECT_EQ(fresh.FileTypeIndex(), 2);
    fresh.SetFileTypeIndex(3);
    EXPECT_EQ(fresh.FileTypeIndex(), 0);
    fresh.SetFileTypeIndex(-5);
    EXPECT_EQ(fresh.FileTypeIndex(), -5);
    EXPECT_TRUE(fresh.DeleteFileType("pvxe"));
    EXPECT_FALSE(fresh.DeleteFileType("PVX"));
    fresh.ClearFileType();
    EXPECT_TRUE(fresh.FileTypeList().empty());
}

TEST_F(FileSel, ListFollowsFolderTypesAndTypedPatterns) {
    sel.AddFileType("暗号ファイル", "*.pvx", 9);
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.ClientWidth(), 577);
    EXPECT_EQ(form.ClientHeight(), 406);
    EXPECT_TRUE(SameFolder(ctl.FolderView.PathName(), folder)) << ctl.FolderView.PathName();
    EXPECT_EQ(ctl.FolderView.Hint(), ctl.FolderView.PathName());
    // Tab order: the list, the tree, the name; the labels' accelerators reach their edits.
    EXPECT_TRUE(ctl.LBoxFiles.Focused());
    Key(form, VK_TAB);
    EXPECT_TRUE(ctl.FolderView.Focused());
    Key(form, VK_TAB);
    EXPECT_TRUE(ctl.EditFileName.Focused());
    Key(form, 'T', true);
    EXPECT_TRUE(ctl.EditFileType.Focused());
    Key(form, 'N', true);
    EXPECT_TRUE(ctl.EditFileName.Focused());
    EXPECT_EQ(ctl.CBoxFileType.Count(), 2);
    EXPECT_EQ(ctl.CBoxFileType.ItemIndex(), 0);
    EXPECT_EQ(ctl.EditFileType.Text(), "*.*");
    // Files only: the folder whose name matches is not listed.
    EXPECT_EQ(Sorted(ctl.LBoxFiles.Items()), Sorted({" 空白.doc", "b.doc", "データ.pvx", "メモ.TXT", "報告書.txt"}));

    PickType(form, 1);
    EXPECT_EQ(ctl.EditFileType.Text(), "*.pvx");
    EXPECT_EQ(ctl.LBoxFiles.Items(), Strings{"データ.pvx"});

    // Typed patterns and Enter: applied, no type selected, the dialog stays open.
    ctl.EditFileType.SetFocus();
    EXPECT_FALSE(ctl.ButtonOk.Default());  // Enter here must not accept
    ClearAndType(ctl.EditFileType, "*.txt,*.TXT");
    Key(form, VK_RETURN);
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(receiver.received.empty());
    EXPECT_EQ(ctl.CBoxFileType.ItemIndex(), -1);
    EXPECT_EQ(Sorted(ctl.LBoxFiles.Items()), Sorted({"メモ.TXT", "報告書.txt"}));  // each once

    // A blank after the comma belongs to the pattern; leaving the edit applies it too.
    ClearAndType(ctl.EditFileType, "*.pvx, *.doc");
    ctl.EditFileName.SetFocus();
    EXPECT_TRUE(ctl.ButtonOk.Default());
    EXPECT_EQ(Sorted(ctl.LBoxFiles.Items()), Sorted({" 空白.doc", "データ.pvx"}));

    // An empty pattern edit stands for every file; a pattern matching nothing empties the list.
    ctl.EditFileType.SetFocus();
    ClearAndType(ctl.EditFileType, "");
    ctl.EditFileType.SetModified(true);
    Key(form, VK_RETURN);
    EXPECT_EQ(ctl.EditFileType.Text(), "*.*");
    EXPECT_EQ(ctl.LBoxFiles.Count(), 5);
    ClearAndType(ctl.EditFileType, "*.none");
    Key(form, VK_RETURN);
    EXPECT_EQ(ctl.LBoxFiles.Count(), 0);

    // Clicking an item puts its name into the name edit.
    PickType(form, 0);
    const int memo = ctl.LBoxFiles.FindItem("メモ.TXT");
    ClickItem(ctl.LBoxFiles, memo);
    EXPECT_EQ(ctl.EditFileName.Text(), "メモ.TXT");
}

TEST_F(FileSel, TypedPatternsSurviveAcceptanceAndTheNextShowing) {
    sel.AddFileType("暗号ファイル", "*.pvx", 9);
    sel.SetFileTypeIndex(1);
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    EXPECT_EQ(ctl.LBoxFiles.Items(), Strings{"データ.pvx"});
    ClearAndType(ctl.EditFileType, "*.doc");
    ctl.EditFileType.SetFocus();
    ctl.EditFileName.SetFocus();
    Accept("b.doc");
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sel.FileTypeIndex(), -1);

    Open();
    EXPECT_EQ(ctl.CBoxFileType.ItemIndex(), -1);
    EXPECT_EQ(ctl.EditFileType.Text(), "*.doc");
    EXPECT_EQ(Sorted(ctl.LBoxFiles.Items()), Sorted({" 空白.doc", "b.doc"}));
    EXPECT_EQ(ctl.EditFileName.Text(), "b.doc");  // the name part of the last choice

    // Without types the combo stays empty and the pattern edit keeps its text.
    ctl.ButtonCancel.Click();
    sel.ClearFileType();
    sel.SetWildCardFree(false);
    Open();
    EXPECT_EQ(ctl.CBoxFileType.Count(), 0);
    EXPECT_EQ(ctl.EditFileType.Text(), "*.doc");
    EXPECT_NE(GetWindowLongPtrW(ctl.EditFileType.Handle(), GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(FileSel, AcceptingAddsTheDefaultExtensionAndNotifiesSynchronously) {
    sel.AddFileType("暗号ファイル", "*.pvx", 9);
    sel.SetFileTypeIndex(1);
    std::string seenName;
    bool seenHidden = false;
    receiver.onMessage = [&] {
        seenName = sel.FileName();
        seenHidden = !sel.Form()->Visible();
    };
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    Accept("新規");
    EXPECT_EQ(receiver.received, std::vector<int>{kChosen});  // delivered before the click returned
    EXPECT_EQ(seenName, ctl.FolderView.PathName() + "新規.pvx");
    EXPECT_TRUE(seenHidden);
    EXPECT_EQ(ctl.EditFileName.Text(), "新規.pvx");
    EXPECT_TRUE(SameFolder(sel.InitialFolder() + "\\", folder));
    EXPECT_EQ(sel.FileTypeIndex(), 1);
    EXPECT_TRUE(sel.FileList().empty());  // single selection leaves the list alone

    Open();
    ctl.EditFileName.SetText("名前.txt");  // an extension of its own is kept
    ctl.EditFileName.SetFocus();
    Key(form, VK_RETURN);  // Enter in the name edit accepts
    EXPECT_EQ(sel.FileName(), ctl.FolderView.PathName() + "名前.txt");
    Open();
    Accept("C:\\他\\全体");  // a full path stands on its own
    EXPECT_EQ(sel.FileName(), "C:\\他\\全体.pvx");
    EXPECT_EQ(ctl.EditFileName.Text(), "全体.pvx");
    Open();
    PickType(form, 0);
    Accept("そのまま");
    EXPECT_EQ(sel.FileName(), ctl.FolderView.PathName() + "そのまま");
    EXPECT_EQ(receiver.received.size(), 4u);
    EXPECT_TRUE(asked.empty());

    // Without a handler nobody is told, yet the result is copied.
    sel.SetOnChosen(nullptr);
    Open();
    Accept("無通知");
    EXPECT_EQ(sel.FileName(), ctl.FolderView.PathName() + "無通知");
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(receiver.received.size(), 4u);
}

// A full path typed or pasted into the name field is the file itself, on
// opening and on saving; one that names a folder takes the tree there.
TEST_F(FileSel, FullPathsAreTakenAsTheyAreAndAFolderIsGoneTo) {
    const std::string elsewhere = tmp / "別の場所";
    CreateDirectoryW(Widen(elsewhere).c_str(), nullptr);
    ASSERT_TRUE(test::WriteAll(elsewhere + "\\遠く.txt", "x"));
    sel.SetMultiSelect(true);
    sel.SetFileMustExist(true);
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    Accept(elsewhere);
    EXPECT_TRUE(form.Visible()) << "a folder is not a choice";
    EXPECT_TRUE(receiver.received.empty());
    EXPECT_TRUE(SameFolder(ctl.FolderView.PathName(), elsewhere + "\\"));
    EXPECT_EQ(ctl.EditFileName.Text(), "");
    Accept(folder + "報告書.txt");
    EXPECT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(sel.FileName(), folder + "報告書.txt");
    EXPECT_EQ(sel.FileList(), Strings{folder + "報告書.txt"});
    EXPECT_TRUE(SameFolder(sel.InitialFolder() + "\\", folder)) << "the folder of the chosen file is remembered";
    Open();
    Accept(elsewhere + "\\無い.txt");
    EXPECT_EQ(asked, Strings{"ファイルが存在しません。|プリベックス|48"});

    // Saving: a new file in another folder.
    asked.clear();
    sel.SetMultiSelect(false);
    sel.SetFileMustExist(false);
    sel.SetOverwritePrompt(true);
    Open();
    Accept(elsewhere + "\\控え");
    EXPECT_EQ(sel.FileName(), elsewhere + "\\控え");
    EXPECT_TRUE(asked.empty());
    Open();
    Accept(elsewhere + "\\");
    EXPECT_EQ(receiver.received.size(), 2u) << "a folder is not a file to save into";
    EXPECT_TRUE(form.Visible());
}

TEST_F(FileSel, MultiSelectTakesSelectedItemsThenTheTypedName) {
    sel.SetMultiSelect(true);
    sel.SetOnChosen(receiver.Handler(1025));
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    ASSERT_TRUE(ctl.LBoxFiles.MultiSelect());
    EXPECT_TRUE(ctl.LBoxFiles.ExtendedSelect());
    const std::string path = ctl.FolderView.PathName();
    const int memo = ctl.LBoxFiles.FindItem("メモ.TXT");
    const int report = ctl.LBoxFiles.FindItem("報告書.txt");
    // In list order, whatever the order of selecting.
    const Strings both = memo < report ? Strings{path + "メモ.TXT", path + "報告書.txt"}
                                       : Strings{path + "報告書.txt", path + "メモ.TXT"};
    ctl.LBoxFiles.SetSelectedIndices({report, memo});
    Accept(memo < report ? "報告書.TXT" : "メモ.txt");  // the second selected item, in another case
    EXPECT_EQ(sel.FileList(), both);
    EXPECT_EQ(receiver.received, std::vector<int>{1025});

    Open();
    ctl.LBoxFiles.SetSelectedIndices({memo, report});
    Accept("新規.txt");
    Strings three = both;
    three.push_back(path + "新規.txt");
    EXPECT_EQ(sel.FileList(), three);

    // A double click chooses the item clicked.
    Open();
    ClickItem(ctl.LBoxFiles, memo, true);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sel.FileList(), Strings{path + "メモ.TXT"});
    EXPECT_EQ(sel.FileName(), path + "メモ.TXT");
}

// The conversion's chooser takes folders: the one shown when nothing is
// typed, or one typed by its name (without the default extension); files as before.
TEST_F(FileSel, AFolderIsChosenByItsNameOrByOKWithNothingTyped) {
    sel.SetMultiSelect(true);
    sel.SetFileMustExist(true);
    sel.SetFoldersChosen(true);
    sel.SetOnChosen(receiver.Handler(1025));
    FileDialogForm& form = Open();
    const std::string path = form.ControlsForTest().FolderView.PathName();
    Accept(path);  // a full path only goes to its folder
    EXPECT_TRUE(form.Visible());
    Accept("下位");
    EXPECT_EQ(sel.FileList(), Strings{path + "下位"});
    Open();
    Accept("");
    EXPECT_EQ(sel.FileList(), Strings{path});
    Open();
    Accept("報告書.txt");
    EXPECT_EQ(sel.FileList(), Strings{path + "報告書.txt"});
    EXPECT_EQ(receiver.received, (std::vector<int>{1025, 1025, 1025}));
    EXPECT_TRUE(asked.empty());
}

TEST_F(FileSel, ExistenceTestSharesReadAccessOnly) {
    sel.SetFileMustExist(true);
    FileDialogForm& form = Open();
    const std::string path = form.ControlsForTest().FolderView.PathName();
    const auto refused = [&](const std::string& name, const std::string& message) {
        asked.clear();
        Accept(name);
        EXPECT_TRUE(form.Visible()) << name;
        EXPECT_EQ(asked, Strings{message + "|プリベックス|48"}) << name;
    };
    refused("", "ファイルを指定して下さい。");
    refused("無い.txt", "ファイルが存在しません。");
    refused("フォルダ.txt", "ファイルが存在しません。");
    {
        test::HeldFile held(path + "報告書.txt");  // another program, no sharing
        ASSERT_TRUE(held.held());
        refused("報告書.txt", "ファイルが存在しません。");
    }
    {
        const HANDLE writer = CreateFileW(Widen(path + "b.doc").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        refused("b.doc", "ファイルが存在しません。");  // written to, even with sharing
        CloseHandle(writer);
    }
    EXPECT_TRUE(receiver.received.empty());
    EXPECT_EQ(sel.FileName(), "");

    // Readers that share reading do not hide a file; the probe's handle is closed after.
    const HANDLE reader = CreateFileW(Widen(path + "メモ.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    asked.clear();
    Accept("メモ.TXT");
    CloseHandle(reader);
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sel.FileName(), path + "メモ.TXT");
    EXPECT_TRUE(DeleteFileW(Widen(path + "メモ.TXT").c_str()));
}

TEST_F(FileSel, OverwritePromptAsksForExistingFilesOnly) {
    sel.SetOverwritePrompt(true);
    FileDialogForm& form = Open();
    const std::string path = form.ControlsForTest().FolderView.PathName();
    answer = MsgAnswer::kNo;
    Accept("データ.pvx");
    EXPECT_EQ(asked, Strings{"上書きしてよろしいですか？|プリベックス|308"});
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(sel.FileName(), "");
    EXPECT_TRUE(receiver.received.empty());
    // The probe's handle is closed on refusal too: a writer can open the file.
    const HANDLE writer = CreateFileW(Widen(path + "データ.pvx").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);

    answer = MsgAnswer::kYes;
    Accept("データ.pvx");
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(sel.FileName(), path + "データ.pvx");

    asked.clear();
    Open();
    Accept("新しい.pvxe");  // a file that does not exist is not asked about
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(sel.FileName(), path + "新しい.pvxe");
}

TEST_F(FileSel, CancelLeavesTheComponentAsItWas) {
    sel.SetMultiSelect(true);
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    Accept("b.doc");
    ASSERT_EQ(receiver.received.size(), 1u);
    const std::string name = sel.FileName();
    const Strings list = sel.FileList();
    const std::string initial = sel.InitialFolder();

    const std::string sub = folder + "下位";
    for (const auto& close : std::vector<std::function<void()>>{
             [&] { ctl.ButtonCancel.Click(); },
             [&] { Key(form, VK_ESCAPE); },
             [&] { SendMessageW(form.Handle(), WM_CLOSE, 0, 0); }}) {
        Open();
        ctl.FolderView.SetFolderName(sub);
        ctl.EditFileName.SetText("別.txt");
        close();
        EXPECT_FALSE(form.Visible());
        EXPECT_EQ(sel.FileName(), name);
        EXPECT_EQ(sel.FileList(), list);
        EXPECT_EQ(sel.InitialFolder(), initial);
    }
    EXPECT_EQ(receiver.received.size(), 1u);
}

TEST_F(FileSel, InitialFolderThatDoesNotExistKeepsTheTreeWhereItWas) {
    FileDialogForm& form = Open();
    auto& ctl = form.ControlsForTest();
    EXPECT_EQ(ctl.LBoxFiles.Count(), 5);
    ctl.FolderView.SetFolderName(folder + "下位");
    const std::string before = ctl.FolderView.PathName();
    ASSERT_TRUE(SameFolder(before, folder + "下位\\"));
    EXPECT_EQ(ctl.LBoxFiles.Count(), 0);
    form.Hide();
    sel.SetInitialFolder(folder + "無いフォルダ");  // not the deepest folder found either
    Open();
    EXPECT_EQ(ctl.FolderView.PathName(), before);
}

}  // namespace
}  // namespace plivex
