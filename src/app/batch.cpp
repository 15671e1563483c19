#include "app/batch.h"

#include <optional>

#include "base/ascii.h"
#include "codec/cipher.h"
#include "codec/codec.h"
#include "base/paths.h"
#include "dialogs/password_dialog.h"
#include "sys/cp932.h"

namespace plivex {

namespace {

bool dealIdle = true;

}  // namespace

std::string_view PassLabel(Direction pass) {
    switch (pass) {
        case Direction::kEncrypt:
            return text::kEncryptLabel;
        case Direction::kMelt:
            return text::kMeltLabel;
        case Direction::kUpgrade:
            break;
    }
    return text::kUpgradeLabel;
}

std::string PassStatusText(Direction pass, const std::vector<std::string>& files) {
    return std::string(PassLabel(pass)) + InputPWFilesText(files);
}

std::string PassSummaryText(Direction pass, const std::vector<std::string>& converted, const std::vector<std::string>& left,
                            bool cancelled) {
    const std::string leftText = left.empty() ? std::string() : "　（未処理 " + std::to_string(left.size()) + " 個）";
    if (cancelled) return std::string(text::kCancelled) + leftText;
    if (converted.empty()) {
        const std::string& first = left.empty() ? std::string() : left.front();
        const std::string_view none = pass == Direction::kEncrypt ? text::kEncryptNone
                                      : pass == Direction::kMelt  ? text::kMeltNone
                                                                  : text::kUpgradeNone;
        return std::string(none) + FileNamePart(first);
    }
    return PassStatusText(pass, converted) + leftText;
}

std::string FolderSearchPattern(std::string_view folder) {
    // UTF-8 never has 0x5C inside a multi-byte character, so the last byte is the last character.
    std::string pattern(folder);
    if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
    return pattern + "*.*";
}

std::size_t ListFiles(const std::string& pattern, std::vector<std::string>& work, Depth depth,
                      const DirLister& lister) {
    const std::size_t slash = pattern.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string name = pattern.substr(folder.size());
    const std::size_t before = work.size();
    lister(pattern, [&](const DirEntry& e) {
        if (!e.folder) work.push_back(folder + e.name);
    });
    if (depth == Depth::kWithSubfolders) {
        // Collected first: the recursion must not run inside an open search.
        std::vector<std::string> below;
        lister(folder + "*.*", [&](const DirEntry& e) {
            // Only "." and ".." are skipped: a folder such as ".private" holds the user's files too.
            // A link may lead back up the tree, so it is not followed.
            if (e.folder && !e.link && e.name != "." && e.name != "..") below.push_back(e.name);
        });
        for (const std::string& sub : below) ListFiles(folder + sub + "\\" + name, work, depth, lister);
    }
    return work.size() - before;
}

Passes ExpandNames(const std::vector<std::string>& names, const std::function<PathKind(const std::string&)>& kind,
                   const DirLister& lister, const std::function<void(const std::string&)>& message) {
    Passes passes;
    std::vector<std::string> work;
    for (const std::string& name : names) {
        const PathKind k = kind(name);
        if (k == PathKind::Missing) {
            message(std::string(text::kFileNotFound) + name);
            continue;
        }
        const std::string pattern = k == PathKind::Folder ? FolderSearchPattern(name) : name;
        work.clear();
        if (ListFiles(pattern, work, Depth::kWithSubfolders, lister) == 0) {
            message(std::string(text::kFileNotFound) + pattern);
            continue;
        }
        for (std::string& file : work)
            (IsContainerName(file) ? passes.melt : passes.encrypt).push_back(std::move(file));
    }
    return passes;
}

void RunPasses(const Passes& passes, BatchHost& host, Secret& lastPW) {
    using enum CodecResult;
    CodecResult carried = kNoClash;
    bool stopped = false;
    for (const Direction pass : {Direction::kEncrypt, Direction::kMelt}) {
        const std::vector<std::string>& files = pass == Direction::kEncrypt ? passes.encrypt : passes.melt;
        if (files.empty()) continue;
        std::vector<std::string> converted, left;
        if (stopped) {
            left = files;
        } else {
            const BatchHost::Answer answer = host.AskPassword(pass, files, lastPW.str());
            if (!answer.ok) return;
            lastPW = host.RememberPassword() ? answer.password : Secret();
            // The compatible format keys with the password's code page 932 bytes
            // (the dialog asks for such a password when that format is written);
            // the strong format stretches the password once for each pass salt.
            // A pass keeps only what its files can still need.
            const int version = answer.strongFormat ? kStrongVersion : kFormatVersion;
            PassKeys keys = pass == Direction::kEncrypt ? PassKeys::ToWrite(answer.password.str(), version)
                                                 : PassKeys::FromPassword(answer.password.str());

            bool askAgain = true;  // until the user cancels a prompt that asks again
            for (std::size_t i = 0; i < files.size(); ++i) {
                const std::string& file = files[i];
                CodecResult result;
                bool written = false;
                if (pass == Direction::kEncrypt) {
                    result = host.Encode(file, ChangeExt(file, kContainerExt), carried, version, keys, written);
                } else {
                    BatchHost::MeltedFile melted;
                    result = host.Melt(file, carried, melted, keys);
                    for (int tries = 0; melted.wrongPassword && askAgain && tries < kPasswordTries; ++tries) {
                        const BatchHost::Answer again = host.AskPassword(pass, {file}, std::string(), true);
                        if (!again.ok) {
                            askAgain = false;
                            break;
                        }
                        keys.Retype(again.password.str());
                        if (host.RememberPassword()) lastPW = again.password;
                        melted = BatchHost::MeltedFile();
                        result = host.Melt(file, carried, melted, keys);
                    }
                    // A result no melt gives: what became of the file is not known.
                    if (result > kRenamed) {
                        host.InternalError(text::kDealRoutine);
                        result = kFailed;
                        melted.written = false;
                    }
                    written = melted.written;
                    // A skipped container hands the carried state back: it is opened only
                    // when its own result says written.
                    if (written && answer.openMelted &&
                        (result == kNoClash || result == kOverwrite || result == kOverwriteAll || result == kRenamed))
                        host.Melted(melted);
                }
                (written ? converted : left).push_back(file);
                carried = result;
                if (result == kFailed) {
                    stopped = true;
                    left.insert(left.end(), files.begin() + static_cast<std::ptrdiff_t>(i) + 1, files.end());
                    break;
                }
            }
            // Also when the batch stops: files finished before stay finished and may be undeleted.
            host.ReportNotDeleted();
            host.Status(PassSummaryText(pass, converted, left, stopped && host.Cancelled()));
        }
        if (!left.empty())
            host.ReportNotConverted(text::NotConverted(pass, left, files.size()));
    }
}

void RunUpgradePass(const std::vector<std::string>& containers, BatchHost& host, Secret& lastPW) {
    UpgradeTally tally;
    if (!containers.empty()) {
        const BatchHost::Answer answer = host.AskPassword(Direction::kUpgrade, containers, lastPW.str());
        if (!answer.ok) return;
        lastPW = host.RememberPassword() ? answer.password : Secret();
        // Melting needs the key string, writing the password: both are kept for the pass.
        PassKeys keys = PassKeys::FromPassword(answer.password.str());
        for (std::size_t i = 0; i < containers.size(); ++i) {
            if (!tally.Count(containers[i], host.Upgrade(containers[i], keys))) {
                tally.left.insert(tally.left.end(), containers.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                  containers.end());
                break;
            }
        }
        host.Status(PassSummaryText(Direction::kUpgrade, tally.converted, tally.left, host.Cancelled()));
    }
    std::string message = tally.Summary();
    if (!tally.left.empty()) message += "\n\n" + tally.LeftList();
    host.ReportUpgraded(message, tally.left.empty());
}

bool BatchIdle() { return dealIdle; }

BatchBusy::BatchBusy() : previous_(dealIdle) { dealIdle = false; }
BatchBusy::~BatchBusy() { dealIdle = previous_; }

}  // namespace plivex
