#include "filesel/file_dialog_win.h"

#include <commctrl.h>

#include <exception>
#include <unordered_set>

#include "base/paths.h"
#include "base/texts.h"
#include "dialogs/place_win.h"
#include "sys/find_win.h"
#include "sys/handle_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

// Opens a chosen file only to learn that it exists and nobody writes to it:
// read data is asked for because Windows skips the sharing check of an open
// that asks for no data access, and a file another program holds for
// writing has to count as missing. Folders fail too (no backup semantics).
class ExistenceProbe {
public:
    explicit ExistenceProbe(const std::string& path) {
        if (const auto wide = TryWidenPath(path))
            handle_ = OwnedHandle(
                CreateFileW(wide->c_str(), FILE_READ_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        missing_ = !handle_;
    }
    bool Missing() const { return missing_; }
    void Close() { handle_.Close(); }

private:
    OwnedHandle handle_;
    bool missing_ = true;
};

// Whether a typed full path names an existing folder.
bool IsFolder(const std::string& path) {
    const std::optional<std::wstring> wide = TryWidenPath(path);
    const DWORD attributes = wide ? GetFileAttributesW(wide->c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Holds a list box's repainting while it is refilled.
class NoRedraw {
public:
    explicit NoRedraw(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~NoRedraw() {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

private:
    HWND hwnd_;
};

}  // namespace


// ---- FileDialogForm ----

// Tab order: inside the panel the list first, then the tree.
FileDialogControls::FileDialogControls(ui::Form& form)
    : FolderView(form, 16, 16, 217, 273, 1),
      LBoxFiles(form, 237, 16, 324, 273, 0, ui::ListBoxOptions{true, false, true}),
      Splitter1(form, 233, 16, 4, 273, FolderView, {&LBoxFiles}, 150),
      Label1(form, 16, 308, "&N･ファイル名："),
      EditFileName(form, 96, 304, 465, 20, 2),
      Label2(form, 16, 340, "&T･種類："),
      EditFileType(form, 96, 336, 137, 21, 3),
      CBoxFileType(form, 240, 336, 321, 21, 4),
      ButtonOk(form, 352, 368, 97, 25, "&OK", 5),
      ButtonCancel(form, 464, 368, 97, 25, "&C・キャンセル", 6) {
    // What a screen reader calls the two panes, which have no label on the form.
    FolderView.SetAccessibleName("フォルダー");
    LBoxFiles.SetAccessibleName("ファイル");
}

FileDialogForm::FileDialogForm(FileDialog* fileSel)
    : Form(577, 406, "", ui::BorderStyle::Single, ui::BorderIcons{true, true, false, false}),
      FileDialogControls(static_cast<ui::Form&>(*this)),
      FileSel(fileSel) {
    Label1.SetFocusControl(&EditFileName);
    Label2.SetFocusControl(&EditFileType);
    ButtonOk.SetDefault(true);
    ButtonCancel.SetCancel(true);

    OnShow = [this] { FormShow(); };
    LBoxFiles.OnClick = [this] { LBoxFilesClick(); };
    LBoxFiles.OnDblClick = [this] { ButtonOkClick(); };
    FolderView.OnChange = [this](ui::TreeNode) { EViewLiteChange(); };
    CBoxFileType.OnChange = [this] { CBoxFileTypeChange(); };
    EditFileType.OnEnter = [this] { EditFileTypeEnter(); };
    EditFileType.OnExit = [this] { EditFileTypeExit(); };
    EditFileType.OnKeyPress = [this](wchar_t& key) { EditFileTypeKeyPress(key); };
    ButtonOk.OnClick = [this] { ButtonOkClick(); };
    ButtonCancel.OnClick = [this] { ButtonCancelClick(); };

    FolderView.Loaded();
}

void FileDialogForm::RefreshFileList() {
    if (FolderView.Loading()) return;
    const std::string folder = FolderView.PathName();
    if (folder.empty()) return;  // no folder selected: the list keeps what it shows
    ui::BusyCursor busy;
    NoRedraw hold(LBoxFiles.Handle());
    if (EditFileType.Text().empty()) EditFileType.SetText(kAllFilesMask);
    LBoxFiles.Clear();
    // A file matched by two patterns is listed once, whatever the letter case.
    std::unordered_set<std::string> listed;
    for (const std::string& piece : SplitPatterns(EditFileType.Text())) {
        // No match, or a folder that cannot be read, lists nothing.
        ForEachEntry(folder + piece, [&](const WIN32_FIND_DATAW& found) {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
            std::string name = Narrow(found.cFileName);
            if (listed.insert(FoldCase(name)).second) LBoxFiles.AddItem(name);
            return true;
        });
    }
}

void FileDialogForm::ButtonOkClick() {
    if (EditFileName.Text().empty()) {
        if (FoldersChosen) {
            FileName = FolderView.PathName();
            Accept();
            return;
        }
        ui::MsgBox("ファイルを指定して下さい。", "", kStyleExclamation);
        return;
    }
    const std::string typed = EditFileName.Text();
    if (IsAbsolutePath(typed)) {
        // A full path names its own folder: the tree goes there, and a folder
        // is only gone to, not accepted.
        if (IsFolder(typed)) {
            FolderView.SetFolderName(typed);
            EditFileName.SetText("");
            return;
        }
        const std::string folder = FolderOfFile(typed);
        if (IsFolder(folder)) FolderView.SetFolderName(folder);
    }
    // A folder's name takes no default extension.
    if (FoldersChosen && !IsAbsolutePath(typed) && IsFolder(FolderView.PathName() + typed)) {
        FileName = FolderView.PathName() + typed;
        Accept();
        return;
    }
    FileName = AcceptedPath(FolderView.PathName(), typed, EditFileType.Text());
    EditFileName.SetText(FileNamePart(FileName));

    ExistenceProbe probe(FileName);
    if (FileMustExist && probe.Missing()) {
        ui::MsgBox("ファイルが存在しません。", "", kStyleExclamation);
        return;
    }
    if (OverwritePrompt && !probe.Missing() &&
        ui::MsgBox("上書きしてよろしいですか？", "", kStyleYesNoWarn | kDefaultNo) == MsgAnswer::kNo)
        return;
    probe.Close();
    Accept();
}

void FileDialogForm::Accept() {
    if (FileSel) FileSel->DialogToProp();
    SetModalResult(ui::mrOk);
    if (InModal()) EndModal(ui::mrOk);
    else Hide();
    // Synchronous: the caller has handled the choice when this returns.
    if (OnChosen) OnChosen();
}

void FileDialogForm::FormShow() {
    EditFileType.SetReadOnly(!WildCardFree);
    CBoxFileType.SetItemIndex(FileTypeIndex);
    CBoxFileTypeChange();
}

void FileDialogForm::CBoxFileTypeChange() {
    const int index = CBoxFileType.ItemIndex();
    if (index < 0) return;
    EditFileType.SetText(FileTypeMasks(CBoxFileType.Item(index)));
    RefreshFileList();
}

void FileDialogForm::EditFileTypeEnter() {
    // Enter in the pattern edit applies the patterns; it must not accept the dialog.
    ButtonOk.SetDefault(false);
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);  // no control has this id: no default button at all
}

void FileDialogForm::EditFileTypeKeyPress(wchar_t& key) {
    if (key != L'\r') return;
    key = 0;
    PatternsTyped();
}

void FileDialogForm::EditFileTypeExit() {
    ButtonOk.SetDefault(true);
    PatternsTyped();
}

// Typed patterns stand for themselves: no named type is selected any more.
void FileDialogForm::PatternsTyped() {
    if (!EditFileType.Modified()) return;
    EditFileType.SetModified(false);
    CBoxFileType.SetItemIndex(-1);
    RefreshFileList();
}

void FileDialogForm::LBoxFilesClick() {
    const int index = LBoxFiles.ItemIndex();
    if (index >= 0 && LBoxFiles.Selected(index)) EditFileName.SetText(LBoxFiles.Item(index));
}

void FileDialogForm::EViewLiteChange() {
    FolderView.SetHint(FolderView.PathName());
    RefreshFileList();
}

void FileDialogForm::ButtonCancelClick() {
    SetModalResult(ui::mrCancel);
    if (InModal()) EndModal(ui::mrCancel);
    else Hide();
}

void FileDialogForm::ShowStart(const std::vector<std::string>& fileTypes, const std::string& fileName,
                               const std::string& folder) {
    CBoxFileType.SetItems(fileTypes);
    EditFileName.SetText(fileName);
    FolderView.SetFolderName(folder);  // selecting the folder refreshes the list
}

void FileDialogForm::SetMultiSelect(bool on) { LBoxFiles.SetMultiSelect(on, true); }

std::string FileDialogForm::FolderShown() const { return FolderView.FolderName(); }

int FileDialogForm::FileTypeIndexShown() const { return CBoxFileType.ItemIndex(); }

std::vector<std::string> FileDialogForm::FilesChosen() const {
    std::vector<std::string> selected;
    for (int i : LBoxFiles.SelectedIndices()) selected.push_back(LBoxFiles.Item(i));
    return ChosenFiles(FolderView.PathName(), selected, EditFileName.Text());
}

// ---- FileDialog ----

FileDialog::FileDialog() {
    SetCaption("ファイルの選択");
    SetFormSize(585, 433);
    const ui::Application& app = ui::Application::Get();
    const Point centre = CenterOnScreen(app.Scale(585), app.Scale(433), PrimaryScreen());
    SetLeft(centre.left);
    SetTop(centre.top);
    SetInitialFolder("");
}

void FileDialog::SetInitialFolder(const std::string& folder) {
    initialFolder_ = InitialFolderOrDefault(folder, folder.empty() ? ProgramFolder() : std::string());
}

std::unique_ptr<ui::Form> FileDialog::CreateSelf() { return std::make_unique<FileDialogForm>(this); }

void FileDialog::PropToDialog() {
    DialogBase::PropToDialog();
    FileDialogForm* form = Form();
    if (!form) return;
    form->ShowStart(fileTypes_.Entries(), FileNamePart(fileName_), initialFolder_);
    form->FileMustExist = fileMustExist_;
    form->FoldersChosen = foldersChosen_;
    form->OverwritePrompt = overwritePrompt_;
    form->WildCardFree = wildCardFree_;
    form->FileTypeIndex = fileTypeIndex_;
    form->OnChosen = onChosen_;
    form->SetMultiSelect(multiSelect_);
}

void FileDialog::DialogToProp() {
    DialogBase::DialogToProp();
    FileDialogForm* form = Form();
    if (!form) return;
    fileName_ = form->FileName;
    SetInitialFolder(form->FolderShown());
    fileTypeIndex_ = form->FileTypeIndexShown();
    if (multiSelect_) fileList_ = form->FilesChosen();
}

}  // namespace plivex
