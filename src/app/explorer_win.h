// Explorer integration, per user and without administrator rights: .pvx files
// open in the program on a double-click, the right-click menu melts a
// container and encrypts any other file or folder, and a Send To entry hands
// it any selection of files and folders in one command line.
#pragma once

#include <string>

namespace plivex {

inline constexpr char kContainerProgId[] = "Plivex.Container";
inline constexpr char kContainerTypeName[] = "プリベックス暗号化ファイル";
inline constexpr char kSendToName[] = "プリベックス";
// The right-click menu's entries: a container's default (its double-click), and any other file's or folder's.
inline constexpr char kMeltVerbName[] = "プリベックスで解凍";
inline constexpr char kEncryptVerbName[] = "プリベックスで暗号化";

// What is registered now: our file type or the Send To entry.
bool ExplorerIntegrated();

// Registers the file type, the right-click entries and the Send To entry for the running executable.
// .pvx is taken over from another program only when the user agrees; when
// Windows' own choice for .pvx names another program, says that it wins.
// Failures are reported; false when anything could not be written.
bool IntegrateWithExplorer();

// Removes our file type, .pvx where it names ours, the right-click entries
// and the Send To entry, and nothing else.
void RemoveExplorerIntegration();

// After the program has moved: points what is registered at the running
// executable, silently. Nothing when nothing is registered.
void RepairExplorerIntegration();

// The Send To shortcut's file (it may not exist).
std::string SendToShortcutPath();

}  // namespace plivex
