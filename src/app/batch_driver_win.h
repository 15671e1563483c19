// The batch driver on Windows: every list of files (dropped, chosen, handed
// over, named on the command line) is worked through BatchDriver.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/batch.h"
#include "base/secret.h"
#include "codec/strong.h"

namespace plivex {

class BatchDriver {
public:
    // Receives the summary of each finished pass (the main window's status bar).
    using StatusSink = std::function<void(const std::string& text)>;
    // Called after a successful melt when the user asked to open the melted files.
    // key is what melted it, to encrypt it again with.
    using MeltedHook = std::function<void(const std::string& plainPath, const ContainerKey& key)>;

    // lastPW belongs to the caller and outlives this object.
    BatchDriver(Secret& lastPW, StatusSink status, MeltedHook melted = nullptr)
        : lastPW_(lastPW), status_(std::move(status)), melted_(std::move(melted)) {}

    // Works the names in order; exceptions end here, reported as an internal error.
    void Run(const std::vector<std::string>& names) noexcept;
    // Converts the old containers among the names (folders searched beneath)
    // into the strong format, under one password.
    void RunUpgrade(const std::vector<std::string>& names) noexcept;
    // Stops the batch that runs as its Cancel does: the file in hand stays as
    // it was, the rest is not begun, and the end of the pass says what is left.
    void Cancel();

private:
    // Expands the names and runs work on them with a host that Cancel reaches;
    // exceptions end here, reported as an internal error.
    void Drive(const std::vector<std::string>& names, const std::function<void(const Passes&, BatchHost&)>& work) noexcept;

    std::function<void()> cancel_;  // while a batch runs
    Secret& lastPW_;
    StatusSink status_;
    MeltedHook melted_;
};

// The real listing: FindFirstFileW/FindNextFileW, hidden and system entries included.
void ListDirectory(const std::string& pattern, const std::function<void(const DirEntry&)>& each);
PathKind KindOfPath(const std::string& path);

// The names of a WM_DROPFILES in index order; releases the drop handle.
std::vector<std::string> DropFiles(HDROP drop);

}  // namespace plivex
