// Applications started on melted files, watched until they end so that each
// file is encrypted again, in the format its container had, with the key that melted it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"
#include "base/secret.h"

namespace plivex {


inline constexpr std::uint32_t kStillActive = 259;
// The file name of an entry that only stands for an application already running.
// Placeholders carry kDummySource as their file name.

// A process being waited for. Shared because after a take-over two entries wait
// on one process; the handle goes when the last of them lets go of it.
class WatchedProcess {
public:
    virtual ~WatchedProcess() = default;
    // Nothing when the system cannot tell; such a process counts as ended.
    virtual std::optional<std::uint32_t> ExitCode() = 0;
};
using ProcessRef = std::shared_ptr<WatchedProcess>;

struct WatchedApp {
    std::string FileName;  // the plain file to encrypt again, or kDummySource
    std::string AppName;   // full path of the application's program file
    // What melted the file: its format (the container's Version) and the key
    // string, or the strong format's master key with its pass salt and count.
    // Secrets, wiped when the entry goes.
    ContainerKey Key;
    bool Alive = true;
    ProcessRef Process;
    // Tells entries apart across a message loop, where the list may change.
    std::uint64_t Serial = 0;

    bool IsPlaceholder() const { return FileName == kDummySource; }
};

class WatchedApps {
public:
    // Whether two program paths name the same file (the system's case rules).
    using SameApp = std::function<bool(const std::string&, const std::string&)>;
    // Told the file-name part of each file handed back to the codec.
    using Reencoded = std::function<void(const std::string& fileName)>;
    // Told the full path of a file before it is encrypted again, or after the user stopped that.
    using FileHook = std::function<void(const std::string& path)>;

    explicit WatchedApps(SameApp sameApp) : sameApp_(std::move(sameApp)) {}

    void AddEntry(std::string fileName, std::string appName, const ContainerKey& key, ProcessRef process);
    // The compatible format under a key string.
    void AddEntry(std::string fileName, std::string appName, std::string_view key, std::int32_t version,
                  ProcessRef process);
    void AddPlaceholder(std::string appName, ProcessRef process);

    // An ended entry waits on a live entry's process of the same application instead.
    bool TakeOverProcess(WatchedApp& entry, std::size_t index);

    // One tick: every entry whose process has ended either takes over another
    // live entry's process or is encrypted again (carried state 1) and dropped.
    // The codec may ask a question whose message loop changes the list (a
    // batch appends, closing the program clears it); the tick copes with both.
    // A re-encryption the user stopped leaves its file plain; the entry goes all the same.
    void Poll(Codec& codec, const Reencoded& reencoded, const FileHook& starting = nullptr,
              const FileHook& stopped = nullptr);

    // Forgets every entry; the files stay as they are.
    void Clear() { entries_.clear(); }

    // The files watched, placeholders left out.
    std::vector<std::string> Files() const;
    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const WatchedApp& operator[](std::size_t i) const { return *entries_[i]; }

private:
    // Pointers, so that an entry stays put while an append during a modal
    // question of the codec grows the list.
    std::vector<std::unique_ptr<WatchedApp>> entries_;
    SameApp sameApp_;
    std::uint64_t nextSerial_ = 1;
    std::optional<std::size_t> IndexOf(std::uint64_t serial) const;
};

}  // namespace plivex
