#include "monitor/watched_apps.h"

#include <algorithm>

#include "codec/codec.h"
#include "base/paths.h"

namespace plivex {

void WatchedApps::AddEntry(std::string fileName, std::string appName, std::string_view key, std::int32_t version,
                           ProcessRef process) {
    ContainerKey k;
    k.version = version;
    k.keyString = Secret(std::string(key));
    AddEntry(std::move(fileName), std::move(appName), k, std::move(process));
}

void WatchedApps::AddEntry(std::string fileName, std::string appName, const ContainerKey& key, ProcessRef process) {
    auto entry = std::make_unique<WatchedApp>();
    entry->FileName = std::move(fileName);
    entry->AppName = std::move(appName);
    entry->Key = key;
    entry->Process = std::move(process);
    entry->Serial = nextSerial_++;
    entries_.push_back(std::move(entry));
}

void WatchedApps::AddPlaceholder(std::string appName, ProcessRef process) {
    AddEntry(std::string(kDummySource), std::move(appName), {}, 0, std::move(process));
}

bool WatchedApps::TakeOverProcess(WatchedApp& entry, std::size_t index) {
    for (std::size_t j = 0; j < entries_.size(); ++j) {
        if (j == index) continue;
        const WatchedApp& other = *entries_[j];
        if (other.Alive && sameApp_(other.AppName, entry.AppName)) {
            entry.Process = other.Process;
            return true;
        }
    }
    return false;
}

std::optional<std::size_t> WatchedApps::IndexOf(std::uint64_t serial) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i]->Serial == serial) return i;
    return std::nullopt;
}

void WatchedApps::Poll(Codec& codec, const Reencoded& reencoded, const FileHook& starting, const FileHook& stopped) {
    std::vector<std::uint64_t> finished;
    auto isFinished = [&](std::uint64_t serial) {
        return std::find(finished.begin(), finished.end(), serial) != finished.end();
    };
    // The count is read anew each round: a batch may append while the codec asks a question.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        WatchedApp& entry = *entries_[i];
        if (isFinished(entry.Serial)) continue;
        const std::optional<std::uint32_t> code = entry.Process ? entry.Process->ExitCode() : std::nullopt;
        if (code && *code == kStillActive) continue;
        entry.Alive = false;
        if (TakeOverProcess(entry, i)) continue;
        // Copies: while the codec asks, the entry may be destroyed under us.
        const std::uint64_t serial = entry.Serial;
        const std::string file = entry.FileName;
        // The container's own format again: for the strong one its pass salt,
        // count and master key, with a fresh file salt.
        PassKeys keys = PassKeys::FromContainerKey(entry.Key);
        const int version = entry.Key.version;
        const bool placeholder = entry.IsPlaceholder();
        finished.push_back(serial);
        // Only a stop is examined: the codec has told the user of any failure,
        // and a failed re-encryption is not retried.
        if (!placeholder && starting) starting(file);
        if (codec.Encode(file, ChangeExt(file, kContainerExt), CodecResult::kOverwrite, version, keys).cancelled) {
            if (stopped) stopped(file);
        } else if (!placeholder && reencoded) {
            reencoded(FileNamePart(file));
        }
        // Go on from where the entry stands now; if it went, from the start,
        // past the entries already finished.
        const std::optional<std::size_t> now = IndexOf(serial);
        if (!now) i = static_cast<std::size_t>(-1);
        else i = *now;
    }
    std::erase_if(entries_, [&](const std::unique_ptr<WatchedApp>& e) { return isFinished(e->Serial); });
}

std::vector<std::string> WatchedApps::Files() const {
    std::vector<std::string> files;
    for (const auto& e : entries_)
        if (!e->IsPlaceholder()) files.push_back(e->FileName);
    return files;
}

}  // namespace plivex
