// The options and window state in the real registry of the test prefix, loaded
// into and saved from a real main window, with the export-file fallback.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "app/instance_win.h"
#include "app/settings_win.h"
#include "options/export_file.h"
#include "options/options.h"
#include "sys/text_win.h"
#include "ui/msgbox_win.h"
#include "ui_support.h"
#include "win_support.h"
#include "sys/shell_win.h"

namespace plivex {
namespace {

constexpr char kImported[] = "外持ファイルから設定を読み込みました。";

void SetInt(const wchar_t* key, const wchar_t* name, DWORD v) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &v, sizeof v), ERROR_SUCCESS);
}
void SetString(const wchar_t* key, const wchar_t* name, const std::string& s) {
    const std::wstring w = Widen(s);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, w.c_str(),
                              static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}
Options Unusual() {
    Options s;
    s.ConfirmMeltedName = false;
    s.OpenMeltedFile = false;
    s.OpenManyMeltedFiles = true;
    s.ShowPassword = true;
    s.UseNetscapeForHelp = false;
    s.DialogPlacement = 7;
    s.OnNameClash = 0;
    s.StrongFormat = true;
    return s;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeleteProgramKey());
        OptionsInForce() = Options();
        SavedWindowState().ExportFolder.clear();
        ui::SetMsgBoxResponder([this](const std::string& t, const std::string&, unsigned) {
            shown.push_back(t);
            return MsgAnswer::kOk;
        });
    }
    void TearDown() override {
        ui::SetMsgBoxResponder(nullptr);
        DeleteProgramKey();
    }
    std::string Status() { return form.ControlsForTest().SBar.SimpleText(); }

    test::OptionsGuard options;
    test::TempDir dir;  // stands for the program's folder
    MainWindow form;
    std::vector<std::string> shown;
};

TEST_F(Settings, FirstStartUsesDefaultsAndTheProgramFolderThenSavesAndReloads) {
    form.SetPosition(120, 80);
    LoadRegistrySettings(form, dir.path());
    EXPECT_TRUE(test::KeyExists(kExitStateKeyPath) && test::KeyExists(kPreferenceKeyPath));
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    EXPECT_EQ(form.BrowseFolder(), dir.path());
    EXPECT_EQ(SavedWindowState().ExportFolder, dir.path());
    EXPECT_EQ(OptionsInForce(), Options());
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(shown.empty());

    form.SetPosition(-20, 33);
    form.SetBrowseFolder("C:\\文書");
    SavedWindowState().ExportFolder = "D:\\設定\\";
    OptionsInForce() = Unusual();
    SaveRegistrySettings(form);
    using V = test::NamedValues;
    EXPECT_EQ(test::RegistryValues(kExitStateKeyPath),
              (V{{"MWLeft", "-20"}, {"MWTop", "33"}, {"SelFolder", "C:\\文書"}, {"EHFolder", "D:\\設定\\"}}));
    EXPECT_EQ(test::RegistryValues(kPreferenceKeyPath),
              (V{{"ConMeltFName", "0"}, {"UseMeltF", "0"}, {"UseManyMeltF", "1"}, {"Reencode", "1"},
                 {"DelRawF", "1"}, {"DelPvF", "1"}, {"ConDelUnrela", "1"}, {"FOverlap", "0"}, {"SeePW", "1"},
                 {"RecyclePW", "0"}, {"StayOnTop", "0"}, {"DlgPos", "7"}, {"UseNN", "0"},
                 {"StrongFormat", "1"}}));

    // The next run gets it all back, DialogPlacement 7 included, and imports nothing.
    ASSERT_TRUE(test::WriteAll(dir / "a.pvxe", ExportText(Options())));
    OptionsInForce() = Options();
    form.SetPosition(0, 0);
    form.SetBrowseFolder("");
    LoadRegistrySettings(form, dir.path());
    EXPECT_EQ(OptionsInForce(), Unusual());
    EXPECT_EQ(form.Left(), -20);
    EXPECT_EQ(form.Top(), 33);
    EXPECT_EQ(form.BrowseFolder(), "C:\\文書");
    EXPECT_EQ(SavedWindowState().ExportFolder, "D:\\設定\\");
    EXPECT_EQ(Status(), "");
}

// A position no screen shows any more brings the window back inside the
// screen's work area; one partly on the screen is kept as it was.
TEST_F(Settings, WindowSavedOnAScreenThatIsGoneComesBackIntoView) {
    SetString(kExitStateKeyPath, L"SelFolder", "C:\\a");
    SetString(kExitStateKeyPath, L"EHFolder", "C:\\b");
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const auto loadAt = [&](int left, int top) {
        SetInt(kExitStateKeyPath, L"MWLeft", left);
        SetInt(kExitStateKeyPath, L"MWTop", top);
        LoadRegistrySettings(form, dir.path());
    };
    loadAt(work.right + 500, work.bottom + 300);  // a monitor to the lower right, now unplugged
    EXPECT_EQ(form.Left(), work.right - form.Width());
    EXPECT_EQ(form.Top(), work.bottom - form.Height());
    loadAt(-32000, -32000);  // where a minimised window used to be saved
    EXPECT_EQ(form.Left(), work.left);
    EXPECT_EQ(form.Top(), work.top);
    loadAt(-20, 33);
    EXPECT_EQ(form.Left(), -20);
    EXPECT_EQ(form.Top(), 33);
}

TEST_F(Settings, UnreadableWindowStateFallsBackWhole) {
    // MWTop missing: not even the stored left is kept.
    SetInt(kExitStateKeyPath, L"MWLeft", 300);
    SetString(kExitStateKeyPath, L"SelFolder", "C:\\a");
    SetString(kExitStateKeyPath, L"EHFolder", "C:\\b");
    form.SetPosition(10, 10);
    LoadRegistrySettings(form, dir.path());
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(form.Top(), 0);
    EXPECT_EQ(form.BrowseFolder(), dir.path());
    EXPECT_EQ(SavedWindowState().ExportFolder, dir.path());

    // A folder stored as a number fails the same way.
    SetInt(kExitStateKeyPath, L"MWTop", 200);
    SetInt(kExitStateKeyPath, L"EHFolder", 5);
    form.SetPosition(10, 10);
    LoadRegistrySettings(form, dir.path());
    EXPECT_EQ(form.Left(), 0);
    EXPECT_EQ(SavedWindowState().ExportFolder, dir.path());

    // Missing folders read as empty: the dialog's own default, no fallback for the position.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kExitStateKeyPath, L"SelFolder");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kExitStateKeyPath, L"EHFolder");
    LoadRegistrySettings(form, dir.path());
    EXPECT_EQ(form.Left(), 300);
    EXPECT_EQ(form.Top(), 200);
    EXPECT_EQ(form.BrowseFolder(), ProgramFolder());
    EXPECT_EQ(SavedWindowState().ExportFolder, "");
}

TEST_F(Settings, OlderPreferenceLoadsWhatItHasThenTriesTheExportFile) {
    OptionsInForce() = Unusual();
    SaveRegistrySettings(form);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPreferenceKeyPath, L"UseNN");
    SetInt(kPreferenceKeyPath, L"RecyclePW", 5);  // any non-zero value is on
    ASSERT_TRUE(test::WriteAll(dir / "x.pvxe", "not settings\r\n"));
    OptionsInForce() = Options();
    LoadRegistrySettings(form, dir.path());
    Options expected = Unusual();
    expected.RememberPassword = true;
    expected.UseNetscapeForHelp = true;
    EXPECT_EQ(OptionsInForce(), expected);
    ASSERT_EQ(shown.size(), 1u);  // the file was tried and refused
    EXPECT_EQ(shown[0].rfind("設定を読み込むことができません。\n" + (dir / "x.pvxe"), 0), 0u) << shown[0];
    EXPECT_EQ(Status(), "");

    // A readable one is laid over what the registry gave, and announced.
    ASSERT_TRUE(test::WriteAll(dir / "x.pvxe", "PlivexIE$2\r\n0\r\n1\r\n0\r\n"));
    OptionsInForce() = Options();
    LoadRegistrySettings(form, dir.path());
    expected.AskBeforeDeletingUnassociated = false;
    expected.ConfirmMeltedName = true;
    expected.DeleteSourceAfterEncrypt = false;
    EXPECT_EQ(OptionsInForce(), expected);
    EXPECT_EQ(Status(), kImported);
}

TEST_F(Settings, StrongFormatIsReadOnItsOwnAndMissingMeansOff) {
    // Written by a copy that knows nothing of it: everything else loads, no fallback.
    OptionsInForce() = Unusual();
    SaveRegistrySettings(form);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPreferenceKeyPath, L"StrongFormat");
    ASSERT_TRUE(test::WriteAll(dir / "a.pvxe", ExportText(Options())));
    OptionsInForce() = Options();
    LoadRegistrySettings(form, dir.path());
    Options expected = Unusual();
    expected.StrongFormat = false;
    EXPECT_EQ(OptionsInForce(), expected);
    EXPECT_EQ(Status(), "");

    // Present, it counts even when an earlier value is missing and the fallback finds nothing.
    SetInt(kPreferenceKeyPath, L"StrongFormat", 1);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPreferenceKeyPath, L"UseNN");
    DeleteFileW(Widen(dir / "a.pvxe").c_str());
    OptionsInForce() = Options();
    LoadRegistrySettings(form, dir.path());
    EXPECT_TRUE(OptionsInForce().StrongFormat);
}

TEST_F(Settings, ExportFileBesideTheProgramSuppliesAFirstStart) {
    CreateDirectoryW(Widen(dir / "folder.pvxe").c_str(), nullptr);  // never taken for a file
    ASSERT_TRUE(test::WriteAll(dir / "mine.pvxe", ExportText(Unusual())));
    LoadRegistrySettings(form, dir.path());
    EXPECT_EQ(OptionsInForce(), Unusual());
    EXPECT_EQ(Status(), kImported);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Settings, MinimisedWindowSavesWhereItWillBeRestored) {
    form.SetPosition(40, 50);
    form.Show();
    ShowWindow(form.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form.Handle()));
    SaveRegistrySettings(form);
    ShowWindow(form.Handle(), SW_HIDE);
    const test::NamedValues values = test::RegistryValues(kExitStateKeyPath);
    EXPECT_EQ(values.at("MWLeft"), "40");
    EXPECT_EQ(values.at("MWTop"), "50");
}

}  // namespace
}  // namespace plivex
