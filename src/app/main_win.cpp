// plivex.exe: start-up, the single-instance rule with the hand-over of files
// from a second copy, the command line, and the order of shutdown.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/batch_driver_win.h"
#include "app/explorer_win.h"
#include "app/main_window_win.h"
#include "app/help.h"
#include "app/help_win.h"
#include "app/instance_win.h"
#include "app/settings_win.h"
#include "codec/texts.h"
#include "monitor/texts.h"
#include "options/options.h"
#include "sys/handle_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/boundary_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace {

constexpr UINT kMsgHandOver = WM_USER;  // 1024, posted by a second instance
constexpr int kTooltipTime = 5000;
constexpr UINT_PTR kGatherTimer = 0x504C;  // the form's own timers are thread timers
constexpr UINT kGatherTime = 300;

// The arguments without the program's name. Not CommandLineToArgvW: it
// takes \" for an escaped quote, so "D:\" /Q would become one argument.
std::vector<std::string> Arguments() {
    std::vector<std::string> result = SplitCommandLine(Narrow(GetCommandLineW()));
    if (!result.empty()) result.erase(result.begin());
    return result;
}

std::vector<std::string> LongNames(const std::vector<std::string>& names) {
    std::vector<std::string> result;
    result.reserve(names.size());
    for (const auto& n : names) result.push_back(ToLongName(n));
    return result;
}

// The options and window state of the last run, from and to the registry.
void LoadSettings(MainWindow& form) { LoadRegistrySettings(form, ProgramFolder() + "\\"); }
void SaveSettings(const MainWindow& form) { SaveRegistrySettings(form); }

// How long a second copy waits for the working copy's window before it works
// its files itself.
constexpr ULONGLONG kWindowPatience = 5000;

// What a copy that found no working copy in time goes on with: the mutex it
// holds now, and the files of its command line not handed over.
struct OwnTurn {
    OwnedHandle mutex;
    std::vector<std::string> files;
};

// Hands files over to the working copy's window. A closing copy marks its
// window so before its last look for hand-overs, and the mark is looked at
// again after writing: either that look finds the files, or they are taken
// back here (files keeps them) to be worked by this copy once the window has
// gone. An older working copy carries no mark; what it does not take waits
// for the next start.
bool HandedOver(HWND target, std::vector<std::string>& files) {
    const WindowMark mark = MarkOf(target);
    if (mark == WindowMark::Closing) return false;
    const SentFiles sent = WriteSendFiles(files);
    if (sent.paths.size() == files.size() &&
        (mark == WindowMark::None || MarkOf(target) == WindowMark::TakesHandOvers)) {
        // Posted: the sender never waits for a receiver that may be busy in a batch.
        PostMessageW(target, kMsgHandOver, 0, 0);
        return true;
    }
    std::vector<std::string> left = TakeBackSendFiles(sent);
    left.insert(left.end(), files.begin() + static_cast<std::ptrdiff_t>(sent.paths.size()), files.end());
    files = std::move(left);
    return files.empty();  // the closing copy took them up after all
}

// A second copy: brings the working one to the front and hands the file
// arguments over to it. It loads and saves no settings and waits for no other
// copy. When no working copy shows its window in time, or the working copy
// has just ended, this copy becomes the working copy with what it still holds.
std::optional<OwnTurn> HandOverToWorkingInstance(const std::vector<std::string>& arguments) {
    std::vector<std::string> files = LongNames(FileArguments(arguments));
    const ULONGLONG deadline = GetTickCount64() + kWindowPatience;
    for (;;) {
        // Of copies that find no working copy, the one that creates the mutex takes over.
        InstanceMutex mutex = CreateInstanceMutex();
        if (!mutex.existed) return OwnTurn{std::move(mutex.handle), std::move(files)};
        if (const std::optional<HWND> target = ReadMainWindowHandle(); target && IsProgramWindow(*target)) {
            SetForegroundWindow(*target);
            if (files.empty() || HandedOver(*target, files)) return std::nullopt;
        }
        if (GetTickCount64() >= deadline) return OwnTurn{std::move(mutex.handle), std::move(files)};
        mutex.handle.Close();
        Sleep(50);
    }
}

class WorkingInstance {
public:
    WorkingInstance()
        : deal_(form_.LastPW, [this](const std::string& text) { form_.SetStatusText(text); },
                [this](const std::string& plain, const ContainerKey& key) { form_.OpenMelted(plain, key); }) {
        form_.OnFiles = [this](std::vector<std::string> files) { RunBatch(std::move(files)); };
        form_.OnCloseQuery = [this] { return CloseQuery(); };
        form_.OnTick = [this] { RemindOfWaitingWork(); };
        form_.OnUpgrade = [this](const std::vector<std::string>& names) { RunUpgrade(names); };
        SetWindowSubclass(form_.Handle(), OwnMessagesProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~WorkingInstance() {
        MarkProgramWindow(form_.Handle(), WindowMark::None);
        ui::Application::Get().SetMessageFilter(nullptr);
        RemoveWindowSubclass(form_.Handle(), OwnMessagesProc, 0);
    }
    WorkingInstance(const WorkingInstance&) = delete;
    WorkingInstance& operator=(const WorkingInstance&) = delete;

    // files, when given, are those of the command line still to be worked (a
    // copy that could not hand them over), already in long form.
    int Run(const std::vector<std::string>& arguments, const std::optional<std::vector<std::string>>& files) {
        ui::Application& app = ui::Application::Get();
        form_.SetCaption(std::string(kAppTitle));
        app.SetTitle(form_.Caption());
        app.SetMainForm(&form_);
        app.SetMessageFilter([this](const MSG& msg) { return FilterMessage(msg); });

        MarkProgramWindow(form_.Handle(), WindowMark::TakesHandOvers);
        WriteMainWindowHandle(form_.Handle());
        RepairExplorerIntegration();  // the program may have moved since it registered
        LoadSettings(form_);
        form_.ApplyOptions();
        app.SetHintHidePause(kTooltipTime);
        // F1 in any window: its chapter, or the basic one.
        app.SetHelpHandler([](const std::string& anchor) {
            ui::Guarded([&] {
                ShowHelp(std::string(help::kHelpFileName), anchor.empty() ? std::string(help::kAnchorMain) : anchor,
                         OptionsInForce().UseNetscapeForHelp);
            });
        });

        RemindOfFilesLeftPlain();
        const bool worked = ProcessCommandLine(arguments, files);
        if (worked) {
            // Shown minimised: the system command makes the hidden window visible as an icon.
            SendMessageW(form_.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else {
            form_.Show();
        }
        FormShown();
        return app.Run();
    }

private:
    // Once, at the start after a close that left watched files plain: those still there.
    static void RemindOfFilesLeftPlain() {
        std::vector<std::string> left;
        for (std::string& path : TakeUnprotected())
            if (KindOfPath(path) == PathKind::File) left.push_back(std::move(path));
        if (!left.empty()) ui::MsgBox(text::LeftUnprotected(left), "", kStyleExclamation);
    }

    // Options are reported in argument order before any password prompt;
    // the files are worked as one batch. True when there were files.
    bool ProcessCommandLine(const std::vector<std::string>& arguments,
                            const std::optional<std::vector<std::string>>& files) {
        const CommandLineResult parsed = ParseCommandLine(arguments, form_.Flags);
        for (const auto& message : parsed.messages) ui::MsgBox(message, "", kStyleExclamation);
        std::vector<std::string> work = files ? *files : LongNames(parsed.files);
        if (work.empty()) return false;
        RunBatch(std::move(work));
        // Files named on the command line end the run once they are done.
        form_.Flags.Quit = true;
        return true;
    }

    // With Quit the window closes as soon as it is shown, through the normal close
    // path, unless applications opened on melted files are still watched: then
    // the monitor timer closes it once the last of them has ended.
    void FormShown() {
        if (form_.Flags.Quit && form_.Watched.Empty()) SendMessageW(form_.Handle(), WM_CLOSE, 0, 0);
    }

    bool CloseQuery() {
        if (!BatchIdle()) {
            // A close during a batch is its Cancel; the close goes on once the batch has stopped.
            closeAfterBatch_ = true;
            DragAcceptFiles(form_.Handle(), FALSE);
            deal_.Cancel();
            return false;
        }
        // After a close that stopped a batch, what arrived meanwhile waits for
        // the next start; any other close works it first.
        const bool stoppedBatch = std::exchange(closeAfterBatch_, false);
        for (;;) {
            if (!stoppedBatch && !TakeUpLastHandOver()) return false;
            if (!form_.FormCloseQuery()) {
                DragAcceptFiles(form_.Handle(), TRUE);  // the run goes on
                return false;
            }
            // No lock is held through the question: the last look comes after
            // it, and a copy that hands over later finds the window closing
            // and works its files itself once the window has gone.
            MarkProgramWindow(form_.Handle(), WindowMark::Closing);
            if (stoppedBatch || !Idle() || (waiting_.empty() && !SendFilesWaiting())) break;
            MarkProgramWindow(form_.Handle(), WindowMark::TakesHandOvers);
        }
        ExitStep();
        PostQuitMessage(0);
        return true;
    }

    // Before closing, files dropped or handed over and not yet taken are
    // worked. False when the work left applications watched under /Q: the
    // monitor closes the window later.
    bool TakeUpLastHandOver() {
        while (Idle() && (!waiting_.empty() || SendFilesWaiting())) {
            WorkWaiting();
            if (form_.Flags.Quit && !form_.Watched.Empty()) return false;
        }
        return true;
    }

    void ExitStep() {
        if (exited_) return;  // the session's end came before the close
        exited_ = true;
        if (form_.Flags.RegClear) {
            DeleteProgramKey();
            RemoveExplorerIntegration();  // /RC leaves nothing of the program behind
        } else {
            SaveSettings(form_);
        }
    }

    // WM_ENDSESSION: the exit step runs whether the session ends or not. When
    // it ends, a close that may still follow saves nothing again; when another
    // program cancelled the log-off, the run goes on and its real end saves
    // what changed meanwhile, and under /RC second copies must still find us.
    void SessionEnd(bool ending) {
        ExitStep();
        if (ending) {
            // The process may be ended the moment this returns: a conversion in
            // hand stops (its temporary output goes with its handle), and the
            // files still open are named at the next start.
            deal_.Cancel();
            AddUnprotected(form_.Watched.Files());
            return;
        }
        exited_ = false;
        if (form_.Flags.RegClear) WriteMainWindowHandle(form_.Handle());
    }

    // A log-off waits while files are converted or lie plain for an
    // application: the user is asked, with the reason, to let the work end.
    bool MayEndSession() {
        if (!WorkInHand()) {
            ShutdownBlockReasonDestroy(form_.Handle());
            return true;
        }
        ShutdownBlockReasonCreate(form_.Handle(),
                                  !BatchIdle() ? L"暗号化・解凍の処理中です。" : L"暗号化されていないファイルがあります。");
        return false;
    }

    // Files being converted, or melted files open in their applications.
    bool WorkInHand() const { return !BatchIdle() || !form_.Watched.Empty(); }

    // Copies started together by the shell hand over one by one: what arrives
    // within a moment of the first is gathered into one batch, one prompt.
    bool FilterMessage(const MSG& msg) {
        if (msg.message != kMsgHandOver || msg.hwnd != form_.Handle()) return false;
        if (!gathering_) gathering_ = SetTimer(form_.Handle(), kGatherTimer, kGatherTime, nullptr) != 0;
        if (!gathering_) ui::Guarded([this] { WorkWaiting(); });
        return true;
    }

    // A hand-over that arrives during a batch is left in the registry until it ends.
    void GatheringDone() {
        KillTimer(form_.Handle(), kGatherTimer);
        gathering_ = false;
        WorkWaiting();
    }

    // Work starts only when no batch runs and no modal loop is open: a batch
    // never nests inside another, nor inside a question asked meanwhile.
    bool Idle() const { return BatchIdle() && ui::Application::Get().Idle(); }

    // Dropped or chosen files wait their turn here; names a second copy handed
    // over wait in the registry.
    void RunBatch(std::vector<std::string> files) {
        if (closeAfterBatch_) return;  // the closing window takes nothing more
        waiting_.insert(waiting_.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
        WorkWaiting();
    }

    // Chosen in the options dialog, which takes no input while a batch or a
    // question holds the program; what arrived meanwhile is worked after it.
    void RunUpgrade(const std::vector<std::string>& names) {
        if (!Idle() || closeAfterBatch_) return;
        deal_.RunUpgrade(names);
        WorkWaiting();
    }

    // Works what waits, as one batch, and again for what arrived during it.
    void WorkWaiting() {
        while (Idle() && !closeAfterBatch_) {
            std::vector<std::string> files = std::exchange(waiting_, {});
            for (std::string& f : TakeSendFiles()) files.push_back(std::move(f));
            if (files.empty()) return;
            deal_.Run(files);
        }
        // The batch a close stopped has ended: the close goes on from the message loop.
        if (closeAfterBatch_ && BatchIdle()) PostMessageW(form_.Handle(), WM_CLOSE, 0, 0);
    }

    // Once a second: what arrived while the program was busy, or a hand-over
    // whose message a modal loop swallowed (1024 is the dialog manager's
    // there), is taken up as soon as the program is idle again. Posted, so
    // that the batch runs from the message loop and not inside the timer.
    void RemindOfWaitingWork() {
        if (!WorkInHand()) ShutdownBlockReasonDestroy(form_.Handle());  // the work has ended
        if (Idle() && (!waiting_.empty() || SendFilesWaiting())) PostMessageW(form_.Handle(), kMsgHandOver, 0, 0);
    }

    // WM_ENDSESSION is sent, not posted, so it is caught in the window itself;
    // so is the gathering timer, which any message loop may dispatch.
    static LRESULT CALLBACK OwnMessagesProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
        auto* instance = reinterpret_cast<WorkingInstance*>(self);
        if (msg == WM_QUERYENDSESSION) {
            bool mayEnd = true;
            ui::Guarded([&] { mayEnd = instance->MayEndSession(); });
            if (!mayEnd) return FALSE;
        }
        if (msg == WM_ENDSESSION) ui::Guarded([&] { instance->SessionEnd(wParam != FALSE); });
        if (msg == WM_TIMER && wParam == kGatherTimer) {
            ui::Guarded([&] { instance->GatheringDone(); });
            return 0;
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    MainWindow form_;
    BatchDriver deal_;
    std::vector<std::string> waiting_;
    bool gathering_ = false;
    bool exited_ = false;
    bool closeAfterBatch_ = false;  // a close came during a batch and waits for its end
};

int Main() {
    const std::vector<std::string> arguments = Arguments();
    // Registration is the user's, not the running copy's: a second copy carries it out too.
    switch (ExplorerRequestOf(arguments)) {
        case ExplorerRequest::Register: IntegrateWithExplorer(); break;
        case ExplorerRequest::Unregister: RemoveExplorerIntegration(); break;
        case ExplorerRequest::None: break;
    }
    // Held, and closed after the window is gone.
    InstanceMutex mutex = CreateInstanceMutex();
    std::optional<std::vector<std::string>> files;
    if (mutex.existed) {
        mutex.handle.Close();  // the turn is decided again in the hand-over
        std::optional<OwnTurn> mine = HandOverToWorkingInstance(arguments);
        if (!mine) return 0;
        mutex.handle = std::move(mine->mutex);
        files = std::move(mine->files);
    }
    WorkingInstance instance;
    return instance.Run(arguments, files);
}

}  // namespace

}  // namespace plivex

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int result = 1;  // an internal error, told by the guard, ends the run as a failure
    plivex::ui::Guarded([&] { result = plivex::Main(); });
    return result;
}
