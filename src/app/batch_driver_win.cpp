#include "app/batch_driver_win.h"

#include <memory>

#include "app/codec_ui_win.h"
#include "app/pass_progress_win.h"
#include "base/listed_folders.h"
#include "codec/codec.h"
#include "codec/texts.h"
#include "dialogs/password_dialog_win.h"
#include "options/options.h"
#include "sys/find_win.h"
#include "sys/system_files.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

class WinBatchHost : public BatchHost {
public:
    WinBatchHost(const BatchDriver::StatusSink& status, const BatchDriver::MeltedHook& melted)
        : status_(status), melted_(melted), codec_(files_, ui_, options_) {
        codec_.SetAskUnlikeNames(true);
        codec_.SetAskAgain(true);
    }

    Answer AskPassword(Direction pass, const std::vector<std::string>& files, const std::string& remembered,
                       bool again) override {
        EndPass();
        PasswordAnswer a = plivex::AskPassword(pass, OptionsInForce(), files, remembered, again);
        if (a.ok) {
            // Asked again mid-pass, the rest of the pass is counted file by file.
            progress_ = std::make_unique<PassProgress>(PassLabel(pass), again ? std::vector<std::string>() : files);
            codec_.SetProgress(progress_.get());
        }
        return Answer{a.ok, a.password, a.useMelted, a.strongFormat};
    }
    bool RememberPassword() override { return OptionsInForce().RememberPassword; }
    CodecResult Encode(const std::string& file, const std::string& container, CodecResult carried, int version,
                       PassKeys& keys, bool& written) override {
        written = false;
        if (cancelled_) return CodecResult::kFailed;  // stopped while a question was open: nothing more is begun
        const CodecOutcome outcome =
            Converted(file, [&] { return codec_.Encode(file, container, carried, version, keys); });
        written = outcome.written;
        return outcome.result;
    }
    CodecResult Melt(const std::string& container, CodecResult carried, MeltedFile& melted, PassKeys& keys) override {
        if (cancelled_) return CodecResult::kFailed;
        const CodecOutcome outcome = Converted(container, [&] {
            return codec_.Melt(container, melted.plain, carried, melted.version, keys, &melted.key);
        });
        melted.written = outcome.written;
        melted.wrongPassword = outcome.wrongPassword;
        return outcome.result;
    }
    Upgraded Upgrade(const std::string& container, PassKeys& keys) override {
        if (cancelled_) return Upgraded::kCancelled;
        const Upgraded done = InProgress(container, [&] { return codec_.Upgrade(container, keys); });
        // A file converted before Cancel was taken stays converted; the pass stops after it.
        if (Stopped(done == Upgraded::kCancelled) && done != Upgraded::kConverted) return Upgraded::kCancelled;
        return done;
    }
    void ReportUpgraded(const std::string& message, bool done) override {
        EndPass();
        ui::MsgBox(message, "", done ? kStyleInformation : kStyleExclamation);
    }
    void Melted(const MeltedFile& melted) override {
        if (melted_) melted_(melted.plain, melted.key);
    }
    void Status(const std::string& text) override {
        if (status_) status_(text);
    }
    void ReportNotDeleted() override {
        EndPass();
        const text::UndeletedFiles kept = codec_.TakeNotDeleted();
        if (!kept.empty()) ui::MsgBox(text::NotDeleted(kept), "", kStyleExclamation);
    }
    void ReportNotConverted(const std::string& message) override {
        EndPass();
        ui::MsgBox(message, "", kStyleExclamation);
    }
    bool Cancelled() override { return cancelled_; }
    void Cancel() {
        cancelled_ = true;
        if (progress_) progress_->Cancel();
    }
    void InternalError(std::string_view routine) override {
        ui::MsgBox(std::string(routine), std::string(text::kCaptionInternalError), kStyleExclamation);
    }

private:
    template <class Convert>
    CodecOutcome Converted(const std::string& file, Convert convert) {
        CodecOutcome outcome = InProgress(file, convert);
        if (Stopped(outcome.cancelled)) outcome.result = CodecResult::kFailed;
        return outcome;
    }
    // One file's conversion, shown in the progress window.
    template <class Convert>
    auto InProgress(const std::string& file, Convert convert) -> decltype(convert()) {
        if (progress_) progress_->BeginFile(file);
        auto result = convert();
        if (progress_) progress_->EndFile();
        return result;
    }
    // Whether the batch stops after this file: it was cancelled, or Cancel was
    // pressed while its last flush ran (that file is done).
    bool Stopped(bool cancelled) {
        if (cancelled || (progress_ && progress_->CancelRequested())) cancelled_ = true;
        return cancelled_;
    }
    // The progress window goes, and the other windows take input again.
    void EndPass() {
        codec_.SetProgress(nullptr);
        progress_.reset();
    }

    const BatchDriver::StatusSink& status_;
    const BatchDriver::MeltedHook& melted_;
    // The rules of the whole batch: options applied meanwhile count from the next one.
    const Options options_ = OptionsInForce();
    WinCodecUi ui_;
    ListedFolders files_{SystemFiles()};  // a batch over a big folder lists it rather than scan it per file
    Codec codec_;
    std::unique_ptr<PassProgress> progress_;
    bool cancelled_ = false;
};

}  // namespace

void BatchDriver::Run(const std::vector<std::string>& names) noexcept {
    Drive(names, [this](const Passes& passes, BatchHost& host) { RunPasses(passes, host, lastPW_); });
}

void BatchDriver::RunUpgrade(const std::vector<std::string>& names) noexcept {
    // Folders stand for the containers in and beneath them; other files are no old containers.
    Drive(names, [this](const Passes& passes, BatchHost& host) { RunUpgradePass(passes.melt, host, lastPW_); });
}

void BatchDriver::Drive(const std::vector<std::string>& names,
                        const std::function<void(const Passes&, BatchHost&)>& work) noexcept {
    const BatchBusy busy;
    try {
        const Passes passes = ExpandNames(names, KindOfPath, ListDirectory, [](const std::string& message) {
            ui::MsgBox(message, "", kStyleExclamation);
        });
        WinBatchHost host(status_, melted_);
        cancel_ = [&host] { host.Cancel(); };
        struct Forget {  // gone with the host, however the batch ends
            std::function<void()>& cancel;
            ~Forget() { cancel = nullptr; }
        } forget{cancel_};
        work(passes, host);
    } catch (...) {
        // Called from window procedures: nothing may escape.
        try {
            ui::MsgBox(std::string(text::kDealRoutine), std::string(text::kCaptionInternalError), kStyleExclamation);
        } catch (...) {
        }
    }
}

void BatchDriver::Cancel() {
    if (cancel_) cancel_();
}

void ListDirectory(const std::string& pattern, const std::function<void(const DirEntry&)>& each) {
    ForEachEntry(pattern, [&](const WIN32_FIND_DATAW& data) {
        DirEntry e;
        e.name = Narrow(data.cFileName);
        e.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        e.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        each(e);
        return true;
    });
}

PathKind KindOfPath(const std::string& path) {
    const std::optional<std::wstring> wide = TryWidenPath(path);
    if (!wide) return PathKind::Missing;
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

std::vector<std::string> DropFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Sized by the name itself: a fixed buffer would cut a long name into another file's.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(got);
        if (!name.empty()) names.push_back(Narrow(name));
    }
    DragFinish(drop);
    return names;
}

}  // namespace plivex
