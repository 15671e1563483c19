// What the codec needs from the file system. Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/secret.h"
#include "base/thread_gate.h"

namespace plivex {

class InputFile {
public:
    virtual ~InputFile() = default;  // closes the file
    virtual std::optional<std::uint64_t> Size() = 0;
    // Reads up to size bytes: the count read, 0 at the end, -1 on failure.
    virtual std::int64_t Read(void* buffer, std::size_t size) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;  // closes the file if Finish was not reached
    // Writes all size bytes or fails.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Writes the first size bytes of buffer, or fails. An output may keep the
    // buffer and give back another, wiped and no smaller (one written from a
    // thread of its own does); this one writes in place.
    virtual bool WriteHanded(WipedBytes& buffer, std::size_t size) { return Write(buffer.data(), size); }
    // Flushes every byte to the disk and closes the file.
    virtual bool Finish() = 0;
};

class FileAccess {
public:
    virtual ~FileAccess() = default;
    // Opens an existing file for reading that nobody else may open meanwhile; nullptr on failure.
    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
    // Whether anything (a file or a folder) has this name.
    virtual bool Exists(const std::string& path) = 0;
    // Whether a new file could be created at path, or the file there replaced
    // (not locked, not read-only). Leaves the disk as it was.
    virtual bool CanCreate(const std::string& path) = 0;
    // Creates an empty temporary file in the folder of target, under a name that
    // is never taken for a plain file or a container of ours; tempPath receives
    // it. Only this process can read it while it is written; once finished it
    // has the permissions of permissionsOf (the file converted) where the
    // system keeps them per file, else the usual ones.
    virtual std::unique_ptr<OutputFile> CreateTemp(const std::string& target, std::string& tempPath,
                                                   const std::string& permissionsOf = {}) = 0;
    // Gives a finished temporary file its final name; replace allows an existing file to be replaced.
    virtual bool Commit(const std::string& tempPath, const std::string& target, bool replace) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Whether the file is marked read-only (why it could not be removed).
    virtual bool IsReadOnly(const std::string& /*path*/) { return false; }
    // The names in folder (which ends with a separator or is empty), files
    // and folders, each under every name the system finds it by; nullopt where
    // looking a name up costs no more than listing the folder, or it failed.
    virtual std::optional<std::vector<std::string>> ListFolder(const std::string& /*folder*/) { return std::nullopt; }
    // Two names of one folder name the same file when their keys are equal.
    virtual std::string NameKey(const std::string& name) const { return name; }
    // What a large output's writer thread and the converting thread wait on,
    // where writing from a thread of its own while the next step is converted
    // gains; nullptr where handing a step over costs more than it saves.
    virtual std::unique_ptr<ThreadGate> WriteBehindGate() { return nullptr; }
    // Why the last failed operation of this file system, or of a file it
    // opened, on the calling thread failed, in the system's own words; empty
    // when it gave no reason.
    virtual std::string LastError() const { return {}; }
};

}  // namespace plivex
