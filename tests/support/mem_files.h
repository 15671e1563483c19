// An in-memory file system with the sharing rules of Windows and switchable
// faults, so every failure path of the codec can be reached natively.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "base/file_access.h"
#include "codec/names.h"

namespace plivex::test {

class MemFiles : public FileAccess {
public:
    std::map<std::string, std::string> files;  // path -> content
    std::set<std::string> folders;             // names taken by folders
    std::set<std::string> locked;              // held open without sharing by another program
    std::set<std::string> readOnlyFolders;     // folder parts (with separator) where nothing can be created
    std::set<std::string> readOnly;            // files that can be read but not deleted
    std::string reason;                        // what LastError() says, as a system would

    // Faults.
    std::set<std::string> sizeFails;                 // Size() fails
    std::map<std::string, std::uint64_t> fakeSize;   // Size() reports this instead
    std::map<std::string, std::uint64_t> readFailAt; // Read() fails once this many bytes were read
    std::uint64_t diskFree = UINT64_MAX;             // bytes that outputs may still take
    bool finishFails = false;
    std::thread::id finishFailedOn;  // the thread whose flush, or whose write when the disk filled up, failed
    bool commitFails = false;

    // Sees every write of every output, with the path written.
    std::function<void(const std::string& path, std::string_view bytes)> onWrite;
    std::size_t maxReadRequest = 0;  // largest Read() size asked for: the memory a conversion uses

    bool Has(const std::string& path) const { return files.count(path) != 0; }
    const std::string& At(const std::string& path) const { return files.at(path); }
    // Names of leftover temporary files.
    std::vector<std::string> Temps() const {
        std::vector<std::string> out;
        for (const auto& [path, content] : files)
            if (FileNamePart(path).rfind("~plvx", 0) == 0) out.push_back(path);
        return out;
    }

    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        if (!Has(path) || locked.count(path) || open_.count(path)) return nullptr;
        return std::make_unique<Input>(*this, path);
    }
    bool Exists(const std::string& path) override { return Has(path) || folders.count(path); }
    bool CanCreate(const std::string& path) override {
        return !folders.count(path) && !locked.count(path) && !open_.count(path) &&
               !readOnlyFolders.count(FolderPart(path));
    }
    std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath,
                                           const std::string& = {}) override {
        const std::string folder = FolderPart(target);
        if (readOnlyFolders.count(folder)) return nullptr;
        // As the real ones: never a name that is taken, nor the target's own.
        do tempPath = folder + "~plvx" + std::to_string(++tempCounter_) + ".tmp";
        while (Has(tempPath) || tempPath == target);
        files[tempPath];
        return std::make_unique<Output>(*this, tempPath);
    }
    bool Commit(const std::string& tempPath, const std::string& target, bool replace) override {
        // As on Windows, a file held open without sharing, by us too, cannot be replaced.
        if (commitFails || !Has(tempPath) || (!replace && Exists(target)) || locked.count(target) ||
            open_.count(target))
            return false;
        files[target] = std::move(files[tempPath]);
        files.erase(tempPath);
        return true;
    }
    bool Remove(const std::string& path) override {
        if (locked.count(path) || open_.count(path) || readOnly.count(path)) return false;
        return files.erase(path) != 0;
    }
    bool IsReadOnly(const std::string& path) override { return readOnly.count(path) != 0; }
    // Large outputs go through the writer thread, as natively.
    std::unique_ptr<ThreadGate> WriteBehindGate() override { return std::make_unique<StandardGate>(); }
    // As a system's, the error is the failing thread's: a flush that failed
    // on another thread leaves this one without a reason.
    std::string LastError() const override {
        return finishFailedOn == std::thread::id() || finishFailedOn == std::this_thread::get_id() ? reason
                                                                                                   : std::string();
    }

private:
    class Input : public InputFile {
    public:
        Input(MemFiles& fs, std::string path) : fs_(fs), path_(std::move(path)) { fs_.open_.insert(path_); }
        ~Input() override { fs_.open_.erase(path_); }
        std::optional<std::uint64_t> Size() override {
            if (fs_.sizeFails.count(path_)) return std::nullopt;
            auto fake = fs_.fakeSize.find(path_);
            return fake != fs_.fakeSize.end() ? fake->second : fs_.files[path_].size();
        }
        std::int64_t Read(void* buffer, std::size_t size) override {
            fs_.maxReadRequest = std::max(fs_.maxReadRequest, size);
            auto fail = fs_.readFailAt.find(path_);
            if (fail != fs_.readFailAt.end() && offset_ >= fail->second) return -1;
            const std::string& data = fs_.files[path_];
            const std::size_t n = std::min<std::size_t>(size, data.size() - std::min(offset_, data.size()));
            if (n) std::memcpy(buffer, data.data() + offset_, n);
            offset_ += n;
            return static_cast<std::int64_t>(n);
        }

    private:
        MemFiles& fs_;
        std::string path_;
        std::size_t offset_ = 0;
    };

    class Output : public OutputFile {
    public:
        Output(MemFiles& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        bool Write(const void* data, std::size_t size) override {
            if (fs_.onWrite) fs_.onWrite(path_, std::string_view(static_cast<const char*>(data), size));
            if (size > fs_.diskFree) {
                fs_.files[path_].append(static_cast<const char*>(data), fs_.diskFree);  // what fit before the end
                fs_.diskFree = 0;
                fs_.finishFailedOn = std::this_thread::get_id();
                return false;
            }
            fs_.diskFree -= size;
            fs_.files[path_].append(static_cast<const char*>(data), size);
            return true;
        }
        bool Finish() override {
            if (fs_.finishFails) fs_.finishFailedOn = std::this_thread::get_id();
            return !fs_.finishFails;
        }

    private:
        MemFiles& fs_;
        std::string path_;
    };

    std::set<std::string> open_;
    int tempCounter_ = 0;
};

}  // namespace plivex::test
