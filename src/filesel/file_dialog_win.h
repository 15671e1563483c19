// The program's own file selection dialog: a folder tree, the folder's files
// filtered by wildcard patterns, a name edit and named file types. It is shown
// modelessly; an accepted choice is copied into the component and announced
// to the caller's window by a message sent synchronously.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_base_win.h"
#include "filesel/folder_tree_win.h"
#include "filesel/file_types.h"
#include "ui/controls_win.h"
#include "ui/focus_edit_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"
#include "ui/splitter_win.h"

namespace plivex {

class FileDialog;

// The dialog's controls: a private base of the dialog, so that its own code
// names them directly and only ControlsForTest() reaches them from outside.
struct FileDialogControls {
    explicit FileDialogControls(ui::Form& form);

    // Panel1, the area the tree, the splitter and the list share, is not a
    // window of its own: 16, 16, 545 x 273.
    FolderTree FolderView;
    ui::ListBox LBoxFiles;
    ui::Splitter Splitter1;
    ui::Label Label1;
    ui::Edit EditFileName;
    ui::Label Label2;
    ui::FocusEdit EditFileType;
    ui::ComboBox CBoxFileType;
    ui::Button ButtonOk;
    ui::Button ButtonCancel;
};

class FileDialogForm : public ui::Form, private FileDialogControls {
public:
    explicit FileDialogForm(FileDialog* fileSel = nullptr);

    // Copies of the component's settings, made by its PropToDialog.
    bool FileMustExist = false;
    bool FoldersChosen = false;
    bool OverwritePrompt = false;
    bool WildCardFree = true;
    std::int32_t FileTypeIndex = 0;
    std::function<void()> OnChosen;
    FileDialog* FileSel;
    // The full path built when a choice is accepted.
    std::string FileName;

    // What a showing starts from: the named types, the proposed name and the
    // folder, whose selection refreshes the list.
    void ShowStart(const std::vector<std::string>& fileTypes, const std::string& fileName, const std::string& folder);
    void SetMultiSelect(bool on);
    // What the dialog shows when a choice is accepted: the folder selected, the
    // named type selected (-1 for typed patterns) and, choosing many files, their full paths.
    std::string FolderShown() const;
    int FileTypeIndexShown() const;
    std::vector<std::string> FilesChosen() const;

    // Tests and the screenshot tool drive the dialog through its controls.
    FileDialogControls& ControlsForTest() { return *this; }

private:
    // Fills the list with the selected folder's files matching the patterns.
    void RefreshFileList();
    void ButtonOkClick();
    // The choice made: the component reads it back, the form goes, the owner is told.
    void Accept();
    void FormShow();
    void CBoxFileTypeChange();
    void EditFileTypeEnter();
    void EditFileTypeKeyPress(wchar_t& key);
    void EditFileTypeExit();
    void PatternsTyped();
    void LBoxFilesClick();
    void EViewLiteChange();
    void ButtonCancelClick();
};

class FileDialog : public DialogBase {
public:
    FileDialog();

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    const std::string& InitialFolder() const { return initialFolder_; }
    // The empty text stands for the program's own folder.
    void SetInitialFolder(const std::string& folder);
    bool FileMustExist() const { return fileMustExist_; }
    void SetFileMustExist(bool on) { fileMustExist_ = on; }
    // A folder may be the choice: the one shown when no name is typed, or a
    // folder typed by its name there (a full path still only goes to it).
    bool FoldersChosen() const { return foldersChosen_; }
    void SetFoldersChosen(bool on) { foldersChosen_ = on; }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on) { multiSelect_ = on; }
    bool OverwritePrompt() const { return overwritePrompt_; }
    void SetOverwritePrompt(bool on) { overwritePrompt_ = on; }
    bool WildCardFree() const { return wildCardFree_; }
    void SetWildCardFree(bool on) { wildCardFree_ = on; }
    std::int32_t FileTypeIndex() const { return fileTypeIndex_; }
    // i when below the number of types (negative ones too), else 0.
    void SetFileTypeIndex(std::int32_t i) { fileTypeIndex_ = FileTypeIndexFor(i, fileTypes_.Count()); }
    // Told, before the click that accepted returns, that a choice was made
    // (its result already copied back); none tells nobody.
    using ChosenHandler = std::function<void()>;
    void SetOnChosen(ChosenHandler chosen) { onChosen_ = std::move(chosen); }
    // The full paths of a multi-select choice.
    const std::vector<std::string>& FileList() const { return fileList_; }
    std::vector<std::string>& FileList() { return fileList_; }
    const std::vector<std::string>& FileTypeList() const { return fileTypes_.Entries(); }

    bool AddFileType(const std::string& name, const std::string& masks, std::int32_t index) {
        return fileTypes_.Add(name, masks, index);
    }
    bool DeleteFileType(const std::string& text) { return fileTypes_.Delete(text); }
    void ClearFileType() { fileTypes_.Clear(); }

    FileDialogForm* Form() const { return static_cast<FileDialogForm*>(DialogForm()); }

    void PropToDialog() override;
    void DialogToProp() override;

protected:
    std::unique_ptr<ui::Form> CreateSelf() override;

private:
    std::string fileName_;
    std::string initialFolder_;
    bool fileMustExist_ = false;
    bool foldersChosen_ = false;
    bool multiSelect_ = false;
    bool overwritePrompt_ = false;
    bool wildCardFree_ = true;
    std::int32_t fileTypeIndex_ = 0;
    ChosenHandler onChosen_;
    std::vector<std::string> fileList_;
    plivex::FileTypeList fileTypes_;
};

}  // namespace plivex
