// The batch driver's rules on plain values: expanding names into files,
// sorting them into the encryption and decryption passes, and working the
// passes with one password prompt each. The system comes in through callbacks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/direction.h"
#include "base/secret.h"
#include "codec/codec.h"
#include "codec/strong.h"

namespace plivex {

namespace text {
inline constexpr std::string_view kFileNotFound = "ファイルが見つかりません。\n";
inline constexpr std::string_view kEncryptLabel = "暗号化：";
inline constexpr std::string_view kMeltLabel = "解凍：";
inline constexpr std::string_view kUpgradeLabel = "変換：";
inline constexpr std::string_view kCancelled = "処理を中止しました。";
inline constexpr std::string_view kEncryptNone = "暗号化できませんでした：";
inline constexpr std::string_view kMeltNone = "解凍できませんでした：";
inline constexpr std::string_view kUpgradeNone = "変換できませんでした：";
inline constexpr std::string_view kDealRoutine = "Deal()";
}  // namespace text

inline constexpr int kPasswordTries = 3;


// Pass label + file-name part of the first file + "　他" n−1 "個" when n > 1.
std::string PassStatusText(Direction pass, const std::vector<std::string>& files);

// What the status bar says once a pass has ended: the files it converted
// (never one that was not), how many it left, or that the user stopped it.
std::string PassSummaryText(Direction pass, const std::vector<std::string>& converted, const std::vector<std::string>& left,
                            bool cancelled);

// The pattern that searches inside a folder: "\" added unless already last, then "*.*".
std::string FolderSearchPattern(std::string_view folder);

struct DirEntry {
    std::string name;     // without the folder
    bool folder = false;
    bool link = false;    // a junction or symbolic link: never descended into
};
// Calls each for every entry matching the pattern (a folder part + a name or
// wildcard), in the file system's order; nothing when the search fails.
using DirLister = std::function<void(const std::string& pattern, const std::function<void(const DirEntry&)>& each)>;

// Appends the files matching pattern, then (kWithSubfolders) those matching
// the same file-name part in every folder beneath, depth first. Returns how many it appended.
enum class Depth { kThisFolder, kWithSubfolders };
std::size_t ListFiles(const std::string& pattern, std::vector<std::string>& work, Depth depth,
                      const DirLister& lister);

enum class PathKind { Missing, File, Folder };

struct Passes {
    std::vector<std::string> encrypt;
    std::vector<std::string> melt;
};

// Expands every name in order; a missing name or an empty search is reported
// through message ("ファイルが見つかりません。\n" + the searched text) and skipped.
Passes ExpandNames(const std::vector<std::string>& names, const std::function<PathKind(const std::string&)>& kind,
                   const DirLister& lister, const std::function<void(const std::string&)>& message);

// What the passes need from the program around them.
class BatchHost {
public:
    virtual ~BatchHost() = default;
    struct Answer {
        bool ok = false;
        Secret password;  // UTF-8
        bool openMelted = false;
        bool strongFormat = false;  // the format an encryption pass writes
    };
    // again: the password just given did not open the one file of files.
    virtual Answer AskPassword(Direction pass, const std::vector<std::string>& files, const std::string& remembered,
                               bool again = false) = 0;
    virtual bool RememberPassword() = 0;  // read right after each prompt
    // keys is the pass's password, the same object for every file of the pass;
    // version the format the pass writes; written tells whether the container was.
    virtual CodecResult Encode(const std::string& file, const std::string& container, CodecResult carried,
                               int version, PassKeys& keys, bool& written) = 0;
    struct MeltedFile {
        std::string plain;   // the plain file's full path
        int version = 0;     // the container's format
        ContainerKey key;    // what melted it, to encrypt it again with
        bool written = false;
        bool wrongPassword = false;  // nothing written: the password did not open it
    };
    virtual CodecResult Melt(const std::string& container, CodecResult carried, MeltedFile& melted,
                             PassKeys& keys) = 0;
    // A compatible container made strong in place; kCancelled stops the pass.
    virtual Upgraded Upgrade(const std::string& container, PassKeys& keys) = 0;
    // The one message at the end of a conversion pass; done: nothing was left.
    virtual void ReportUpgraded(const std::string& message, bool done) = 0;
    // A melted file the user asked to open at once.
    virtual void Melted(const MeltedFile& melted) = 0;
    virtual void Status(const std::string& text) = 0;
    // A pass has ended, however: the files it could not delete are told now.
    virtual void ReportNotDeleted() = 0;
    // Then, when it left files as they were, which ones (the whole message).
    virtual void ReportNotConverted(const std::string& message) = 0;
    // Whether the user stopped the batch at its last file (Cancel while it ran).
    virtual bool Cancelled() = 0;
    virtual void InternalError(std::string_view routine) = 0;
};

// Works the encryption pass, then the decryption pass, carrying each file's
// result into the next call. lastPW is the password the next prompt offers.
// Every pass that leaves a file unconverted says which, a pass that never
// began because the batch stopped before it included; Cancel at a password
// prompt ends the batch without a list, as the user chose. A container the
// password does not open is asked for again, up to kPasswordTries times; the
// new password holds for the rest of the pass; Cancel there skips that file
// and asks no more in this pass.
void RunPasses(const Passes& passes, BatchHost& host, Secret& lastPW);

// The conversion of old containers into the strong format, one pass under
// one password: strong containers are counted and left, the others converted
// in place. It ends with one message: how many were converted, how many were
// strong already, and the list of those left as they were.
void RunUpgradePass(const std::vector<std::string>& containers, BatchHost& host, Secret& lastPW);

// The label of a pass's files ("暗号化：", "解凍：", "変換：").
std::string_view PassLabel(Direction pass);

// False while a batch runs.
bool BatchIdle();

// Marks a batch as running for its lifetime, however it ends.
class BatchBusy {
public:
    BatchBusy();
    ~BatchBusy();
    BatchBusy(const BatchBusy&) = delete;
    BatchBusy& operator=(const BatchBusy&) = delete;

private:
    bool previous_;  // a nested batch must not mark the outer one idle
};

}  // namespace plivex
