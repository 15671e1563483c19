// The progress of the conversions of one pass (or of one re-encryption) as the
// user sees them: the program keeps handling its messages, its other windows
// disabled meanwhile, and one that lasts shows the progress window, whose
// Cancel stops the file in hand. The taskbar button shows the same where
// Windows offers it.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"
#include "dialogs/progress_numbers.h"
#include "dialogs/progress_dialog_win.h"
#include "ui/app_win.h"

namespace plivex {

class PassProgress : public Progress {
public:
    // label: "暗号化：", "解凍：", "再暗号化："; files: the pass, in order (or
    // none, for files that come one at a time).
    PassProgress(std::string_view label, std::vector<std::string> files);
    ~PassProgress() override;
    PassProgress(const PassProgress&) = delete;
    PassProgress& operator=(const PassProgress&) = delete;

    // Around the conversion of each file of the pass.
    void BeginFile(const std::string& file);
    void EndFile();
    bool Advance(std::uint64_t done, std::uint64_t total) override;
    // The step runs on a thread of its own while the window keeps answering.
    bool Await(const std::function<bool()>& step) override;
    bool AwaitLong(const std::function<bool()>& step) override;
    // What Cancel does, for a close of the program during the pass.
    void Cancel();
    // Cancel was pressed for the file in hand, also while a step ran that could not stop.
    bool CancelRequested() const { return cancelled_ || (form_ && form_->CancelRequested()); }

private:
    void Handle(bool now);
    void ShowOnTaskbar();

    std::string label_;
    std::vector<std::string> files_;
    const ULONGLONG start_;
    WorkTime worked_;
    const DWORD stepDelay_;
    ULONGLONG handled_ = 0;
    std::size_t index_ = 0;
    std::uint64_t total_ = 0, before_ = 0, done_ = 0, fileSize_ = 0;
    bool cancelled_ = false;
    // Declared before the form: the windows take input again after it is gone.
    std::optional<ui::ModalScope> modal_;
    std::unique_ptr<ProgressDialog> form_;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace plivex
