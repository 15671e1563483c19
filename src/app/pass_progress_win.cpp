#include "app/pass_progress_win.h"

#include <chrono>
#include <future>

#include "base/paths.h"
#include "dialogs/place_win.h"
#include "sys/com_win.h"
#include "sys/text_win.h"
#include "ui/seams_win.h"

namespace plivex {

namespace {

constexpr ULONGLONG kShowAfterMs = 500;    // quick work never flashes a window
constexpr ULONGLONG kHandleEveryMs = 100;  // the program answers at least this often
constexpr std::uint64_t kLongFlushFrom = 8u << 20;  // files whose flush may take longer than that

std::uint64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::optional<std::wstring> wide = TryWidenPath(path);
    if (!wide || !GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) return 0;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

}  // namespace

PassProgress::PassProgress(std::string_view label, std::vector<std::string> files)
    : label_(label), files_(std::move(files)), start_(GetTickCount64()), worked_(start_), stepDelay_(TestStepDelay()) {
    for (const std::string& f : files_) total_ += SizeOf(f);
}

PassProgress::~PassProgress() {
    if (!taskbar_) return;
    if (const ui::Form* main = ui::Application::Get().MainForm())
        taskbar_->SetProgressState(main->Handle(), TBPF_NOPROGRESS);
    taskbar_->Release();
}

void PassProgress::BeginFile(const std::string& file) {
    while (index_ + 1 < files_.size() && files_[index_] != file) ++index_;
    fileSize_ = SizeOf(file);
    if (files_.empty() || files_[index_] != file) {  // work that comes one file at a time
        files_.push_back(file);
        index_ = files_.size() - 1;
        before_ = total_;
        total_ += fileSize_;
    }
    cancelled_ = false;
    if (form_) form_->ResetCancel();
    Handle(true);
}

void PassProgress::EndFile() {
    before_ += fileSize_;
    if (index_ + 1 < files_.size()) ++index_;
}

bool PassProgress::Advance(std::uint64_t done, std::uint64_t total) {
    if (stepDelay_) Sleep(stepDelay_);
    // The codec counts a container's bytes without its header; the bar counts sizes.
    done_ = before_ + (total == 0 ? fileSize_ : done * fileSize_ / total);
    Handle(false);
    return !cancelled_;
}

void PassProgress::Cancel() {
    cancelled_ = true;
    if (form_) form_->RequestCancel();
}

bool PassProgress::Await(const std::function<bool()>& step) {
    // A small file's flush is over before anyone would notice.
    if (fileSize_ < kLongFlushFrom) return step();
    return AwaitLong(step);
}

bool PassProgress::AwaitLong(const std::function<bool()>& step) {
    // Nothing of the program's runs on that thread but the step: every window,
    // question and message stays on this one.
    std::future<bool> result = std::async(std::launch::async, step);
    while (result.wait_for(std::chrono::milliseconds(kHandleEveryMs)) != std::future_status::ready) Handle(true);
    return result.get();
}

void PassProgress::Handle(bool now) {
    const ULONGLONG tick = GetTickCount64();
    const std::uint64_t workedMs = worked_.At(tick);
    if (!now && tick - handled_ < kHandleEveryMs) return;
    handled_ = tick;
    if (!modal_) modal_.emplace(nullptr);
    if (!form_ && tick - start_ >= kShowAfterMs) {
        form_ = std::make_unique<ProgressDialog>();
        PlaceDialogForm(ui::Application::Get().MainForm(), *form_);
        form_->Show();
        ShowOnTaskbar();
    }
    if (form_) {
        const std::string name = files_.empty() ? std::string() : FileNamePart(files_[index_]);
        form_->Report(label_, name, index_, files_.size(), done_, total_, workedMs);
        if (taskbar_)
            if (const ui::Form* main = ui::Application::Get().MainForm())
                taskbar_->SetProgressValue(main->Handle(), done_, total_ ? total_ : 1);
    }
    ui::Application::Get().ProcessMessages();
    if (form_ && form_->CancelRequested()) cancelled_ = true;
}

// Where Windows has no such interface (older systems, Wine), nothing shows there.
void PassProgress::ShowOnTaskbar() {
    const ui::Form* main = ui::Application::Get().MainForm();
    if (!main || !main->Visible()) return;
    EnsureCom();
    void* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &taskbar)))
        return;
    taskbar_ = static_cast<ITaskbarList3*>(taskbar);
    if (FAILED(taskbar_->HrInit())) {
        taskbar_->Release();
        taskbar_ = nullptr;
    }
}

}  // namespace plivex
