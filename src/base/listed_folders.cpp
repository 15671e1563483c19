#include "base/listed_folders.h"

#include <utility>

#include "base/paths.h"

namespace plivex {

ListedFolders::ListedFolders(FileAccess& files, Clock now) : files_(files), now_(std::move(now)) {}

ListedFolders::Listing* ListedFolders::ListingOf(const std::string& path) {
    const std::string folder = FolderPart(path);
    const auto now = now_();
    auto found = listings_.find(folder);
    if (found != listings_.end() && now - found->second.taken < kMaxAge) return &found->second;
    std::optional<std::vector<std::string>> names = files_.ListFolder(folder);
    if (!names) {
        if (found != listings_.end()) listings_.erase(found);
        return nullptr;
    }
    Listing& listing = listings_[folder];
    listing.taken = now;
    listing.keys.clear();
    for (const std::string& name : *names) listing.keys.insert(files_.NameKey(name));
    return &listing;
}

void ListedFolders::Note(const std::string& path, bool exists) {
    auto found = listings_.find(FolderPart(path));
    if (found == listings_.end()) return;
    const std::string key = files_.NameKey(FileNamePart(path));
    if (exists) found->second.keys.insert(key);
    else found->second.keys.erase(key);
}

bool ListedFolders::Exists(const std::string& path) {
    const Listing* listing = ListingOf(path);
    if (listing && !listing->keys.count(files_.NameKey(FileNamePart(path)))) return false;
    const bool exists = files_.Exists(path);
    Note(path, exists);
    return exists;
}

std::unique_ptr<OutputFile> ListedFolders::CreateTemp(const std::string& target, std::string& tempPath,
                                                      const std::string& permissionsOf) {
    std::unique_ptr<OutputFile> out = files_.CreateTemp(target, tempPath, permissionsOf);
    if (out) Note(tempPath, true);
    return out;
}

bool ListedFolders::Commit(const std::string& tempPath, const std::string& target, bool replace) {
    if (!files_.Commit(tempPath, target, replace)) return false;
    Note(tempPath, false);
    Note(target, true);
    return true;
}

bool ListedFolders::Remove(const std::string& path) {
    if (!files_.Remove(path)) return false;
    Note(path, false);
    return true;
}

}  // namespace plivex
