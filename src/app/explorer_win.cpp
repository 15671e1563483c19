#include "app/explorer_win.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <optional>
#include <string_view>

#include "base/ascii.h"
#include "base/texts.h"
#include "sys/com_win.h"
#include "sys/registry_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

constexpr std::wstring_view kClasses = L"Software\\Classes\\";
constexpr wchar_t kUserChoicePath[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pvx\\UserChoice";
constexpr int kContainerIconId = 2;  // the icon group of container files in plivex.exe

constexpr std::string_view kAskTakeOver =
    "拡張子 .pvx は他のプログラムに関連づけられています。\nプリベックスで開くように変更しますか？";
constexpr std::string_view kUserChoiceWins =
    "拡張子 .pvx のファイルは、Windows の設定で選ばれた別のプログラムで開かれます。\n"
    "プリベックスで開くには、Windows の設定の「既定のアプリ」で変更してください。";
constexpr std::string_view kCannotRegister = "エクスプローラーとの連携を登録できませんでした。\n";

std::wstring ClassPath(std::wstring_view sub) { return std::wstring(kClasses) + std::wstring(sub); }
const std::wstring kExtensionPath = ClassPath(L".pvx");
const std::wstring kProgIdPath = ClassPath(Widen(kContainerProgId));
// "Encrypt" on every file but a container (which melts) and on folders.
const std::wstring kEncryptVerbPaths[] = {ClassPath(L"*\\shell\\Plivex.Encrypt"),
                                          ClassPath(L"Directory\\shell\\Plivex.Encrypt")};
constexpr char kNotContainers[] = "NOT System.FileExtension:=.pvx";
// Explorer starts one copy per item (the hand-over gathers them), for up to
// 100 items; the default would hide the entry past 15.
constexpr char kManyItems[] = "Player";

std::wstring Executable() { return ProgramPath(); }
std::string OpenCommand(const std::wstring& exe) { return text::Quoted(Narrow(exe)) + " \"%1\""; }
std::string IconLocation(const std::wstring& exe) {
    return text::Quoted(Narrow(exe)) + ",-" + std::to_string(kContainerIconId);
}

std::optional<std::string> DefaultValue(HKEY root, const std::wstring& path) {
    return RegKey(root, path.c_str()).ReadString(nullptr);
}

LSTATUS SetDefaultValue(const std::wstring& path, const std::string& value) {
    const RegKey key(path.c_str(), KeyOpening::CreateIfMissing);
    return key.WriteString(nullptr, value) ? ERROR_SUCCESS : key.Status();
}

bool Ours(const std::string& progId) { return AsciiUpper(progId) == AsciiUpper(kContainerProgId); }

// The identifier .pvx names, as the shell reads it: the user's own entry
// before the machine's. Empty when none.
std::string ExtensionOwner() {
    if (auto user = DefaultValue(HKEY_CURRENT_USER, kExtensionPath); user && !user->empty()) return *user;
    return DefaultValue(HKEY_LOCAL_MACHINE, kExtensionPath).value_or("");
}

// Windows' own per-user choice, which wins over every registration.
std::optional<std::string> UserChoice() { return RegKey(HKEY_CURRENT_USER, kUserChoicePath).ReadString(L"ProgId"); }

HRESULT SaveShortcut(const std::wstring& link, const std::wstring& target) {
    EnsureCom();
    ComRef<IShellLinkW> shellLink;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.PutVoid());
    if (FAILED(hr)) return hr;
    shellLink->SetPath(target.c_str());
    shellLink->SetWorkingDirectory(target.substr(0, target.rfind(L'\\')).c_str());
    ComRef<IPersistFile> file;
    hr = shellLink->QueryInterface(IID_IPersistFile, file.PutVoid());
    if (FAILED(hr)) return hr;
    return file->Save(link.c_str(), TRUE);
}

std::optional<std::wstring> ShortcutTarget(const std::wstring& link) {
    EnsureCom();
    ComRef<IShellLinkW> shellLink;
    ComRef<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.PutVoid())) ||
        FAILED(shellLink->QueryInterface(IID_IPersistFile, file.PutVoid())) || FAILED(file->Load(link.c_str(), STGM_READ)) ||
        FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
        return std::nullopt;
    return std::wstring(target);
}

std::wstring SendToShortcut() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, &folder)))
        path = std::wstring(folder) + L"\\" + Widen(kSendToName) + L".lnk";
    CoTaskMemFree(folder);
    return path;
}

bool Exists(const std::wstring& path) { return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void TellTheShell() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

LSTATUS SetValue(const std::wstring& path, const wchar_t* name, const std::string& value) {
    const RegKey key(path.c_str(), KeyOpening::CreateIfMissing);
    return key.WriteString(name, value) ? ERROR_SUCCESS : key.Status();
}

// A right-click entry: its text, how many items it takes, its command.
LSTATUS WriteVerb(const std::wstring& path, std::string_view text, const std::wstring& exe) {
    LSTATUS s = SetDefaultValue(path, std::string(text));
    if (s == ERROR_SUCCESS) s = SetValue(path, L"MultiSelectModel", kManyItems);
    if (s == ERROR_SUCCESS) s = SetDefaultValue(path + L"\\command", OpenCommand(exe));
    return s;
}

// Our file type (its name, its icon and its default entry, melting) and the
// entry that encrypts everything else.
LSTATUS WriteFileType(const std::wstring& exe) {
    LSTATUS s = SetDefaultValue(kProgIdPath, std::string(kContainerTypeName));
    if (s == ERROR_SUCCESS) s = SetDefaultValue(kProgIdPath + L"\\DefaultIcon", IconLocation(exe));
    if (s == ERROR_SUCCESS) s = SetDefaultValue(kProgIdPath + L"\\shell", "open");
    if (s == ERROR_SUCCESS) s = WriteVerb(kProgIdPath + L"\\shell\\open", kMeltVerbName, exe);
    for (const std::wstring& path : kEncryptVerbPaths) {
        if (s == ERROR_SUCCESS) s = WriteVerb(path, kEncryptVerbName, exe);
        if (s == ERROR_SUCCESS) s = SetValue(path, L"Icon", Narrow(exe) + ",0");
    }
    if (s == ERROR_SUCCESS) s = SetValue(kEncryptVerbPaths[0], L"AppliesTo", kNotContainers);
    return s;
}

// Whether every command we registered starts exe.
bool CommandsStart(const std::wstring& exe) {
    const std::string wanted = OpenCommand(exe);
    if (DefaultValue(HKEY_CURRENT_USER, kProgIdPath + L"\\shell\\open\\command") != wanted) return false;
    for (const std::wstring& path : kEncryptVerbPaths)
        if (DefaultValue(HKEY_CURRENT_USER, path + L"\\command") != wanted) return false;
    return true;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::string SendToShortcutPath() { return Narrow(SendToShortcut()); }

bool ExplorerIntegrated() {
    HKEY key = nullptr;
    const bool fileType = RegOpenKeyExW(HKEY_CURRENT_USER, kProgIdPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    return fileType || Exists(SendToShortcut());
}

bool IntegrateWithExplorer() {
    const std::wstring exe = Executable();
    const std::string owner = ExtensionOwner();
    const bool takeExtension =
        owner.empty() || Ours(owner) ||
        ui::MsgBox(std::string(kAskTakeOver), "", kStyleYesNo | kDefaultNo) == MsgAnswer::kYes;
    LSTATUS s = WriteFileType(exe);
    if (s == ERROR_SUCCESS && takeExtension) s = SetDefaultValue(kExtensionPath, kContainerProgId);
    HRESULT hr = S_OK;
    if (s == ERROR_SUCCESS) {
        const std::wstring link = SendToShortcut();
        hr = link.empty() ? E_FAIL : SaveShortcut(link, exe);
    }
    TellTheShell();
    if (s != ERROR_SUCCESS || FAILED(hr)) {
        ui::MsgBox(std::string(kCannotRegister) + SystemErrorText(s != ERROR_SUCCESS ? s : static_cast<DWORD>(hr)), "",
                   kStyleExclamation);
        return false;
    }
    if (takeExtension) {
        if (const auto choice = UserChoice(); choice && !choice->empty() && !Ours(*choice))
            ui::MsgBox(std::string(kUserChoiceWins), "", kStyleExclamation);
    }
    return true;
}

void RemoveExplorerIntegration() {
    if (const auto user = DefaultValue(HKEY_CURRENT_USER, kExtensionPath); user && Ours(*user)) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kExtensionPath.c_str(), nullptr);
        // The key goes too unless it holds something of another program's.
        HKEY key = nullptr;
        DWORD subkeys = 1, values = 1;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kExtensionPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr);
            RegCloseKey(key);
        }
        if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, kExtensionPath.c_str());
    }
    for (const std::wstring& path : {kProgIdPath, kEncryptVerbPaths[0], kEncryptVerbPaths[1]}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    if (const std::wstring link = SendToShortcut(); Exists(link)) DeleteFileW(link.c_str());
    TellTheShell();
}

void RepairExplorerIntegration() {
    const std::wstring exe = Executable();
    bool repaired = false;
    // Registered (the file type is there) but not all of it for this executable.
    if (DefaultValue(HKEY_CURRENT_USER, kProgIdPath) && !CommandsStart(exe)) {
        WriteFileType(exe);
        repaired = true;
    }
    if (const std::wstring link = SendToShortcut(); Exists(link)) {
        if (const auto target = ShortcutTarget(link); !target || !SameFile(*target, exe)) {
            SaveShortcut(link, exe);
            repaired = true;
        }
    }
    if (repaired) TellTheShell();
}

}  // namespace plivex
