// POSIX files for the native tool. POSIX has no share modes, so the files this
// process reads are remembered and refused as targets, as Windows would refuse them.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <utility>

#include "base/paths.h"
#include "sys/system_files.h"

namespace plivex {

namespace {

using FileId = std::pair<dev_t, ino_t>;

class PosixInput : public InputFile {
public:
    PosixInput(int fd, FileId id, std::set<FileId>& open) : fd_(fd), id_(id), open_(open) { open_.insert(id_); }
    ~PosixInput() override {
        open_.erase(id_);
        ::close(fd_);
    }
    std::optional<std::uint64_t> Size() override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(st.st_size);
    }
    std::int64_t Read(void* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) return got;
            if (errno != EINTR) return -1;
        }
    }

private:
    int fd_;
    FileId id_;
    std::set<FileId>& open_;
};

class PosixOutput : public OutputFile {
public:
    explicit PosixOutput(int fd) : fd_(fd) {}
    ~PosixOutput() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Write(const void* data, std::size_t size) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::write(fd_, p, size);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            p += put;
            size -= static_cast<std::size_t>(put);
        }
        return true;
    }
    bool Finish() override {
        const bool synced = ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return synced && closed;
    }

private:
    int fd_;
};

class PosixFiles : public FileAccess {
public:
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || open_.count({st.st_dev, st.st_ino})) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInput>(fd, FileId{st.st_dev, st.st_ino}, open_);
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

    std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath) override {
        std::string pattern = FolderPart(target);
        if (pattern.empty()) pattern = "./";
        pattern += kTempPrefix;
        pattern += "XXXXXX.tmp";
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd < 0) return nullptr;
        // mkstemp makes the file private; results get the usual permissions.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        tempPath = pattern;
        return std::make_unique<PosixOutput>(fd);
    }

    bool Commit(const std::string& tempPath, const std::string& target, bool replace) override {
        if (replace) return ::rename(tempPath.c_str(), target.c_str()) == 0;
        // link() refuses an existing target, which rename() would silently replace.
        if (::link(tempPath.c_str(), target.c_str()) == 0) {
            ::unlink(tempPath.c_str());
            return true;
        }
        if (errno == EEXIST || Exists(target)) return false;
        return ::rename(tempPath.c_str(), target.c_str()) == 0;  // file systems without hard links
    }

    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

private:
    std::set<FileId> open_;
};

}  // namespace

FileAccess& SystemFiles() {
    static PosixFiles files;
    return files;
}

}  // namespace plivex
