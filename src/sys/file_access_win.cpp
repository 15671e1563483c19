// Win32 files: opened with share mode 0, so no other program (and no second
// handle of ours) can touch a file while it is converted.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <set>

#include "base/paths.h"
#include "sys/find_win.h"
#include "sys/handle_win.h"
#include "sys/system_files.h"
#include "sys/text_win.h"

namespace plivex {

namespace {

// Slim locks and condition variables wait in the kernel only when they must,
// and under Wine without a round trip to its server: the standard library's
// waits of MinGW go through Windows events, and with them the writer thread
// made 1 GiB twice as slow under Wine.
class SlimGate final : public ThreadGate {
public:
    void lock() override { AcquireSRWLockExclusive(&lock_); }
    void unlock() override { ReleaseSRWLockExclusive(&lock_); }
    void Wait() override { SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0); }
    void WakeAll() override { WakeAllConditionVariable(&changed_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
};


// The error of the last failed file operation of this thread, for the message
// that reports it: a flush may fail on a worker while the window's thread goes on.
thread_local DWORD lastError = ERROR_SUCCESS;

// Records the system's error of the call that just failed; returns false.
bool Failed() {
    lastError = GetLastError();
    return false;
}

// A path that is no valid UTF-8 never reaches the system.
bool InvalidName() {
    lastError = ERROR_INVALID_NAME;
    return false;
}

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition) {
    return CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Stale temporary files (see system_files.h): one still being written is
// open without sharing and cannot be removed.
constexpr std::uint64_t kStaleAfter = kStaleTempSeconds * 10000000ull;  // in 100 ns units

std::uint64_t Ticks(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

void RemoveStaleTemps(const std::string& folder) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ForEachEntry(folder + kTempPrefix + "*.tmp", [&](const WIN32_FIND_DATAW& data) {
        // The pattern also matches short names; only our own long names count.
        if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
            IsTempName(Narrow(data.cFileName)) && Ticks(now) >= Ticks(data.ftLastWriteTime) + kStaleAfter) {
            if (const auto path = TryWidenPath(folder + Narrow(data.cFileName))) DeleteFileW(path->c_str());
        }
        return true;
    });
}

class WinInput : public InputFile {
public:
    explicit WinInput(HANDLE h) : file_(h) {}
    std::optional<std::uint64_t> Size() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file_.get(), &size)) return Failed(), std::nullopt;
        return static_cast<std::uint64_t>(size.QuadPart);
    }
    std::int64_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) return Failed(), -1;
        return got;
    }

private:
    OwnedHandle file_;
};

// A temporary output is deleted by the system when its handle closes, unless
// it was finished: the program ended by a log-off or killed half-way leaves no
// plain bytes behind. False where the file system cannot do that.
bool DeleteOnClose(HANDLE h, bool del) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = del ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

class WinOutput : public OutputFile {
public:
    WinOutput(HANDLE h, bool deleteOnClose) : file_(h), deleteOnClose_(deleteOnClose) {}
    bool Write(const void* data, std::size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD put = 0;
            if (!WriteFile(file_.get(), p, want, &put, nullptr) || put == 0) return Failed();
            p += put;
            size -= put;
        }
        return true;
    }
    bool Finish() override {
        // Kept only once every byte is on the disk: a log-off during the flush leaves nothing.
        const bool flushed = FlushFileBuffers(file_.get()) != 0 || Failed();
        const bool kept = !deleteOnClose_ || DeleteOnClose(file_.get(), false) || Failed();
        return (file_.Close() || Failed()) && flushed && kept;
    }

private:
    OwnedHandle file_;
    bool deleteOnClose_;
};

class WinFiles : public FileAccess {
public:
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        const auto wide = TryWidenPath(path);
        if (!wide) return InvalidName(), nullptr;
        HANDLE h = Open(*wide, GENERIC_READ, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE) return Failed(), nullptr;
        return std::make_unique<WinInput>(h);
    }

    bool Exists(const std::string& path) override {
        const auto wide = TryWidenPath(path);
        return wide && GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool CanCreate(const std::string& path) override {
        const auto wide = TryWidenPath(path);
        if (!wide) return InvalidName();
        if (GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES)
            return static_cast<bool>(OwnedHandle(Open(*wide, GENERIC_WRITE, OPEN_EXISTING))) || Failed();
        OwnedHandle probe(Open(*wide, GENERIC_WRITE | DELETE, CREATE_NEW));
        if (!probe) return Failed();
        probe.Close();
        DeleteFileW(wide->c_str());
        return true;
    }

    // A new file takes the folder's inherited permissions, as every file made there does.
    std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath,
                                           const std::string& = {}) override {
        const std::string folder = FolderPart(target);
        // Once per folder and run: done for every file, a batch over a folder
        // of thousands would scan it once for each of them.
        if (cleaned_.insert(folder).second) RemoveStaleTemps(folder);
        DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            const std::string candidate = folder + TempNameToTry(seed, attempt);
            const auto wide = TryWidenPath(candidate);
            if (!wide) return InvalidName(), nullptr;
            HANDLE h = Open(*wide, GENERIC_WRITE | DELETE, CREATE_NEW);
            if (h != INVALID_HANDLE_VALUE) {
                tempPath = candidate;
                return std::make_unique<WinOutput>(h, DeleteOnClose(h, true));
            }
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
                return Failed(), nullptr;
        }
        return Failed(), nullptr;
    }

    bool Commit(const std::string& tempPath, const std::string& target, bool replace) override {
        const auto from = TryWidenPath(tempPath);
        const auto to = TryWidenPath(target);
        if (!from || !to) return InvalidName();
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        return MoveFileExW(from->c_str(), to->c_str(), flags) != 0 || Failed();
    }

    bool Remove(const std::string& path) override {
        const auto wide = TryWidenPath(path);
        if (!wide) return InvalidName();
        return DeleteFileW(wide->c_str()) != 0 || Failed();
    }

    bool IsReadOnly(const std::string& path) override {
        const auto wide = TryWidenPath(path);
        if (!wide) return false;
        const DWORD attributes = GetFileAttributesW(wide->c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }

    // Wine scans the folder for every name it does not find as written, so
    // one listing answers a batch's lookups there. Short names are listed too:
    // the system finds a file by either.
    std::optional<std::vector<std::string>> ListFolder(const std::string& folder) override {
        std::vector<std::string> names;
        const bool listed = ForEachEntry(folder + "*", [&](const WIN32_FIND_DATAW& data) {
            names.push_back(Narrow(data.cFileName));
            if (data.cAlternateFileName[0]) names.push_back(Narrow(data.cAlternateFileName));
            return true;
        });
        if (!listed) return std::nullopt;
        return names;
    }

    // Windows matches file names without regard to case.
    std::string NameKey(const std::string& name) const override {
        std::wstring wide = Widen(name);
        if (!wide.empty() && LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                                           static_cast<int>(wide.size()), wide.data(), static_cast<int>(wide.size()),
                                           nullptr, nullptr, 0) == 0)
            return name;
        return Narrow(wide);
    }

    std::string LastError() const override { return SystemErrorText(lastError); }
    std::unique_ptr<ThreadGate> WriteBehindGate() override { return std::make_unique<SlimGate>(); }

private:
    std::set<std::string> cleaned_;
};

}  // namespace

FileAccess& SystemFiles() {
    static WinFiles files;
    return files;
}

}  // namespace plivex
