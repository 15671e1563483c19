#include "app/settings_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "app/main_window_win.h"
#include "app/options_dialog_win.h"
#include "sys/registry_win.h"
#include "dialogs/placement.h"
#include "options/export_file.h"
#include "options/options.h"
#include "sys/find_win.h"
#include "sys/text_win.h"

namespace plivex {

namespace {

// A position saved on a screen that is gone (a second monitor unplugged, a
// smaller resolution) would open the window where nobody can reach it: a window
// that no monitor shows is moved into the work area of the nearest one.
void KeepOnAScreen(MainWindow& form) {
    RECT r{form.Left(), form.Top(), form.Left() + form.Width(), form.Top() + form.Height()};
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    const Point inside = ClampToScreen({r.left - work.left, r.top - work.top}, form.Width(), form.Height(),
                                       {work.right - work.left, work.bottom - work.top});
    form.SetPosition(work.left + inside.left, work.top + inside.top);
}

void LoadExitState(MainWindow& form, const std::string& programFolder) {
    const RegKey key(kExitStateKeyPath, KeyOpening::CreateIfMissing);
    const std::optional<std::int32_t> left = key.ReadInt(L"MWLeft");
    const std::optional<std::int32_t> top = key.ReadInt(L"MWTop");
    // A missing folder reads as empty; only a value of another type fails.
    const std::optional<std::string> sel = key.Exists(L"SelFolder") ? key.ReadString(L"SelFolder") : "";
    const std::optional<std::string> eh = key.Exists(L"EHFolder") ? key.ReadString(L"EHFolder") : "";
    if (left && top && sel && eh) {
        form.SetPosition(*left, *top);
        KeepOnAScreen(form);
        form.SetBrowseFolder(*sel);
        SavedWindowState().ExportFolder = *eh;
    } else {
        form.SetPosition(0, 0);
        form.SetBrowseFolder(programFolder);
        SavedWindowState().ExportFolder = programFolder;
    }
}

// The first settings export file that the folder lists, folders left out.
std::optional<std::string> FirstExportFile(const std::string& folder) {
    std::optional<std::string> found;
    ForEachEntry(folder + "*." + std::string(kExportExt), [&](const WIN32_FIND_DATAW& fd) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found = folder + Narrow(fd.cFileName);
        return !found;
    });
    return found;
}

// True when every value was read; the values before a failing one stay in force.
// A value that earlier copies never wrote is read even so, and missing is no
// failure that would set off the import fallback.
bool LoadPreference() {
    const RegKey key(kPreferenceKeyPath, KeyOpening::CreateIfMissing);
    Options& options = OptionsInForce();
    bool complete = true;
    for (const OptionSpec& o : kOptionSpecs) {
        if (!complete && !o.mayBeMissing) continue;
        if (const std::optional<std::int32_t> n = key.ReadInt(Widen(o.name).c_str())) o.Set(options, *n);
        else if (!o.mayBeMissing) complete = false;
    }
    return complete;
}

void ImportBesideProgram(MainWindow& form, const std::string& programFolder) {
    const std::optional<std::string> file = FirstExportFile(programFolder);
    if (!file) return;
    Options imported = OptionsInForce();
    if (!ImportOptions(*file, imported)) return;
    OptionsInForce() = imported;
    form.ShowStatusOptionsImported();
}

// Where the window is when it is not minimised: a minimised window's own
// rectangle lies far off the screen and would hide it at the next start.
// The restored one comes in workspace coordinates; the registry holds screen ones.
POINT RestoredTopLeft(const MainWindow& form) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!IsIconic(form.Handle()) || !GetWindowPlacement(form.Handle(), &wp) ||
        !GetMonitorInfoW(MonitorFromWindow(form.Handle(), MONITOR_DEFAULTTONEAREST), &info))
        return {form.Left(), form.Top()};
    const Point p = WorkspaceToScreen({wp.rcNormalPosition.left, wp.rcNormalPosition.top},
                                      {info.rcMonitor.left, info.rcMonitor.top}, {info.rcWork.left, info.rcWork.top});
    return {p.left, p.top};
}

// Each section stops at its first failing write; the other is still written.
void SaveExitState(const MainWindow& form) {
    const RegKey key(kExitStateKeyPath, KeyOpening::CreateIfMissing);
    const POINT at = RestoredTopLeft(form);
    if (!key.WriteInt(L"MWLeft", at.x) || !key.WriteInt(L"MWTop", at.y)) return;
    if (!key.WriteString(L"SelFolder", form.BrowseFolder())) return;
    key.WriteString(L"EHFolder", SavedWindowState().ExportFolder);
}

void SavePreference() {
    const RegKey key(kPreferenceKeyPath, KeyOpening::CreateIfMissing);
    const Options& options = OptionsInForce();
    for (const OptionSpec& o : kOptionSpecs)
        if (!key.WriteInt(Widen(o.name).c_str(), o.Get(options))) return;
}

}  // namespace

WindowState& SavedWindowState() {
    static WindowState state;
    return state;
}

void LoadRegistrySettings(MainWindow& form, const std::string& programFolder) {
    LoadExitState(form, programFolder);
    if (!LoadPreference()) ImportBesideProgram(form, programFolder);
}

void SaveRegistrySettings(const MainWindow& form) {
    SaveExitState(form);
    SavePreference();
}

}  // namespace plivex
