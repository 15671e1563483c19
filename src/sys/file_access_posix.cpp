// POSIX files for the native tool. POSIX has no share modes, so the files this
// process reads are remembered and refused as targets, as Windows would refuse them.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <set>
#include <utility>

#include "base/paths.h"
#include "sys/system_files.h"

namespace plivex {

namespace {

using FileId = std::pair<dev_t, ino_t>;

// The error of the last failed file operation of this thread, for the message
// that reports it: a flush may fail on a worker while the caller's thread goes on.
thread_local int lastErrno = 0;

// Records the system's error of the call that just failed; returns false.
bool Failed() {
    lastErrno = errno;
    return false;
}

// Read once: umask can only be read by setting it, twice a call.
mode_t Umask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Removes the stale temporary files of ours in folder (see system_files.h). A
// file still being written is locked by its writer (flock), so a second
// process, or a copy of this one, never takes it away.
void RemoveStaleTemps(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempName(entry->d_name)) continue;
        const std::string path = folder + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            now >= st.st_mtime + static_cast<time_t>(kStaleTempSeconds) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

class PosixInput : public InputFile {
public:
    // The size is the one the file had when opened (its stat is needed then anyway).
    PosixInput(int fd, FileId id, std::uint64_t size, std::set<FileId>& open)
        : fd_(fd), id_(id), size_(size), open_(open) {
        open_.insert(id_);
    }
    ~PosixInput() override {
        open_.erase(id_);
        ::close(fd_);
    }
    std::optional<std::uint64_t> Size() override { return size_; }
    std::int64_t Read(void* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) return got;
            if (errno != EINTR) return Failed(), -1;
        }
    }

private:
    int fd_;
    FileId id_;
    std::uint64_t size_;
    std::set<FileId>& open_;
};

// Locked (flock) while open, so that no clean-up of stale files takes it.
class PosixOutput : public OutputFile {
public:
    PosixOutput(int fd, mode_t mode) : fd_(fd), mode_(mode) { ::flock(fd_, LOCK_EX | LOCK_NB); }
    ~PosixOutput() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Write(const void* data, std::size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::write(fd_, p, size);
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) return Failed();
            if (put == 0) {
                lastErrno = ENOSPC;
                return false;
            }
            p += put;
            size -= static_cast<std::size_t>(put);
            written_ += static_cast<std::uint64_t>(put);
        }
        WriteBack();
        return true;
    }
    // Private while it is written; complete, it takes the permissions it will keep.
    bool Finish() override {
        const bool moded = ::fchmod(fd_, mode_) == 0 || Failed();
        // A range waited for reports a write error once: fsync after it would not see it again.
        const bool synced = (writeBackErrno_ ? (lastErrno = writeBackErrno_, false) : true) &&
                            (::fsync(fd_) == 0 || Failed());
        const bool closed = ::close(fd_) == 0 || Failed();
        fd_ = -1;
        return moded && synced && closed;
    }

private:
    // The disk starts on each range as soon as it is written, while the next
    // steps are converted, and the range before it is waited for: the file's
    // last flush finds little left, and the page cache holds no more than two
    // ranges of it. A range that failed is remembered for Finish: the system
    // reports a write error to one wait only.
    static constexpr std::uint64_t kWriteBackRange = 8u << 20;
    void WriteBack() {
#ifdef __linux__
        while (written_ - queued_ >= kWriteBackRange) {
            ::sync_file_range(fd_, static_cast<off_t>(queued_), kWriteBackRange, SYNC_FILE_RANGE_WRITE);
            if (queued_ >= kWriteBackRange &&
                ::sync_file_range(fd_, static_cast<off_t>(queued_ - kWriteBackRange), kWriteBackRange,
                                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0 &&
                !writeBackErrno_)
                writeBackErrno_ = errno;
            queued_ += kWriteBackRange;
        }
#endif
    }

    int fd_;
    mode_t mode_;
    std::uint64_t written_ = 0;  // bytes written so far
    std::uint64_t queued_ = 0;   // of them, handed to the disk in whole ranges
    int writeBackErrno_ = 0;     // the first range that could not be written
};

class PosixFiles : public FileAccess {
public:
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return Failed(), nullptr;
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            Failed();
            ::close(fd);
            return nullptr;
        }
        if (!S_ISREG(st.st_mode) || open_.count({st.st_dev, st.st_ino})) {
            lastErrno = S_ISDIR(st.st_mode) ? EISDIR : EBUSY;  // as Windows refuses a file held open
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInput>(fd, FileId{st.st_dev, st.st_ino}, static_cast<std::uint64_t>(st.st_size),
                                            open_);
    }

    bool Exists(const std::string& path) override {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0;
    }

    bool CanCreate(const std::string& path) override {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode) || open_.count({st.st_dev, st.st_ino})) return false;
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0) return false;
            ::close(fd);
            return true;
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        ::close(fd);
        ::unlink(path.c_str());
        return true;
    }

    std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath,
                                           const std::string& permissionsOf = {}) override {
        const std::string folder = FolderPart(target);
        // Once per folder and run: done for every file, a batch over a folder
        // of thousands would scan it once for each of them.
        if (cleaned_.insert(folder).second) RemoveStaleTemps(folder);
        // As cp gives them: the source's permission bits less the umask.
        mode_t mode = 0666;
        struct stat st;
        if (!permissionsOf.empty() && ::stat(permissionsOf.c_str(), &st) == 0) mode = st.st_mode & 0777;
        mode &= ~Umask();
        static const pid_t pid = ::getpid();  // once a run, not once a file
        std::uint32_t seed = static_cast<std::uint32_t>(pid) << 16 ^ static_cast<std::uint32_t>(::time(nullptr)) ^
                             ++created_ * 2654435761u;
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            const std::string candidate = (folder.empty() ? "./" : folder) + TempNameToTry(seed, attempt);
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                tempPath = candidate;
                return std::make_unique<PosixOutput>(fd, mode);
            }
            if (errno != EEXIST) return Failed(), nullptr;
        }
        return Failed(), nullptr;
    }

    bool Commit(const std::string& tempPath, const std::string& target, bool replace) override {
        if (replace) return ::rename(tempPath.c_str(), target.c_str()) == 0 || Failed();
#ifdef RENAME_NOREPLACE
        // One change of the folder that refuses an existing target: fewer
        // changes than link and unlink, and none left half-done if stopped.
        if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) return lastErrno = EEXIST, false;
        if (errno != EINVAL && errno != ENOSYS) return Failed();
#endif
        // link() refuses an existing target, which rename() would silently replace.
        if (::link(tempPath.c_str(), target.c_str()) == 0) {
            ::unlink(tempPath.c_str());
            return true;
        }
        if (errno == EEXIST || Exists(target)) return lastErrno = EEXIST, false;
        return ::rename(tempPath.c_str(), target.c_str()) == 0 || Failed();  // file systems without hard links
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 || Failed(); }

    std::string LastError() const override { return lastErrno ? ::strerror(lastErrno) : std::string(); }
    // 1 GiB in the strong format: 0.17 s less, the sealing's time.
    std::unique_ptr<ThreadGate> WriteBehindGate() override { return std::make_unique<StandardGate>(); }

private:
    std::set<FileId> open_;
    std::set<std::string> cleaned_;
    std::uint32_t created_ = 0;
};

}  // namespace

FileAccess& SystemFiles() {
    static PosixFiles files;
    return files;
}

}  // namespace plivex
