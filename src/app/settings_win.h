// The options and a little window state kept in the registry between runs,
// in the sections SavedWindowState and Preference of the program's key.
#pragma once

#include <string>

namespace plivex {

class MainWindow;

inline constexpr wchar_t kExitStateKeyPath[] = L"Software\\QUORVA\\Plivex\\ExitState";
inline constexpr wchar_t kPreferenceKeyPath[] = L"Software\\QUORVA\\Plivex\\Preference";

// The folder last used for exporting or importing settings.
class WindowState {
public:
    std::string ExportFolder;
};

// The one instance for the whole run; empty until the settings are loaded.
WindowState& SavedWindowState();

// Reads the window position, both folders and the options in force. Unreadable
// window state puts the window at 0, 0 and both folders at programFolder (with
// its trailing backslash); unreadable options keep what was read and import the
// first settings export file found in programFolder, announcing it.
void LoadRegistrySettings(MainWindow& form, const std::string& programFolder);

// Writes what LoadRegistrySettings reads; a failing write abandons the rest of
// its section only.
void SaveRegistrySettings(const MainWindow& form);

}  // namespace plivex
