#include "monitor/pros_mon.h"

#include "codec/codec.h"
#include "codec/names.h"

namespace plivex {

void TMonProsList::AddEntry(std::string fileName, std::string appName, std::string_view key, std::int32_t version,
                           ProcessRef process) {
    auto entry = std::make_unique<TMonPros>();
    entry->FileName = std::move(fileName);
    entry->AppName = std::move(appName);
    entry->Password = Secret(std::string(key));
    entry->Version = version;
    entry->Process = std::move(process);
    entries_.push_back(std::move(entry));
}

void TMonProsList::AddPlaceholder(std::string appName, ProcessRef process) {
    AddEntry(std::string(kDummySource), std::move(appName), {}, 0, std::move(process));
}

bool TMonProsList::TakeOverProcess(TMonPros& entry, std::size_t index) {
    for (std::size_t j = 0; j < entries_.size(); ++j) {
        if (j == index) continue;
        const TMonPros& other = *entries_[j];
        if (other.Alive && sameApp_(other.AppName, entry.AppName)) {
            entry.Process = other.Process;
            return true;
        }
    }
    return false;
}

void TMonProsList::Poll(Codec& codec, const Reencoded& reencoded) {
    std::vector<std::size_t> finished;
    // The count is read anew each round: a batch may append while the codec asks a question.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        TMonPros& entry = *entries_[i];
        const std::optional<std::uint32_t> code = entry.Process ? entry.Process->ExitCode() : std::nullopt;
        if (code && *code == kStillActive) continue;
        entry.Alive = false;
        if (TakeOverProcess(entry, i)) continue;
        // The result is not examined: the codec has told the user of any failure,
        // and a failed re-encryption is not retried.
        codec.Encode(entry.FileName, ChangeExt(entry.FileName, kContainerExt), kOverwrite, entry.Version,
                     entry.Password.str());
        finished.push_back(i);
        if (!entry.IsPlaceholder() && reencoded) reencoded(FileNamePart(entry.FileName));
    }
    for (auto it = finished.rbegin(); it != finished.rend(); ++it) entries_.erase(entries_.begin() + *it);
}

}  // namespace plivex
