// Real files, folders and processes for the Windows tests.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plivex::test {

// A fresh folder under the system's temporary folder, removed with its files at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // UTF-8 path with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

bool WriteAll(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadAll(const std::string& path);
bool FileExists(const std::string& path);
// Names of the files in a folder (UTF-8 path with trailing backslash), sorted.
std::vector<std::string> ListFolder(const std::string& folder);
void RemoveTree(const std::string& folder);

// Another process holding a file open without sharing while it lives.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    bool held() const { return held_; }

private:
    PROCESS_INFORMATION pi_{};
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
    bool held_ = false;
};

}  // namespace plivex::test
