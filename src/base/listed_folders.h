// A file system whose lookups of names answer from one listing per folder
// where the system would scan the folder for each name it does not find
// (Wine does, to match names without regard to case): a batch over a folder
// of thousands of files then lists it once rather than once per file.
//
// Safe to answer from: a name found in the listing is looked up once more,
// so nothing is numbered or asked about that has gone meanwhile; a name
// another program creates after the listing is not seen, but Commit never
// replaces a file it was not told to, so that file is refused and reported,
// never overwritten. A listing is taken again once it is kMaxAge old, so a
// question left open for a while does not leave it stale.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "base/file_access.h"

namespace plivex {

class ListedFolders : public FileAccess {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kMaxAge{2};

    explicit ListedFolders(FileAccess& files, Clock now = std::chrono::steady_clock::now);

    std::unique_ptr<InputFile> OpenRead(const std::string& path) override { return files_.OpenRead(path); }
    bool Exists(const std::string& path) override;
    bool CanCreate(const std::string& path) override { return files_.CanCreate(path); }
    std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath,
                                           const std::string& permissionsOf = {}) override;
    bool Commit(const std::string& tempPath, const std::string& target, bool replace) override;
    bool Remove(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override { return files_.IsReadOnly(path); }
    std::optional<std::vector<std::string>> ListFolder(const std::string& folder) override {
        return files_.ListFolder(folder);
    }
    std::string NameKey(const std::string& name) const override { return files_.NameKey(name); }
    std::string LastError() const override { return files_.LastError(); }

private:
    struct Listing {
        std::chrono::steady_clock::time_point taken;
        std::set<std::string> keys;
    };
    // The fresh listing of path's folder; nullptr where lookups are asked of the system.
    Listing* ListingOf(const std::string& path);
    // Keeps a listing true to what this file system itself did.
    void Note(const std::string& path, bool exists);

    FileAccess& files_;
    Clock now_;
    std::map<std::string, Listing> listings_;  // by folder
};

}  // namespace plivex
