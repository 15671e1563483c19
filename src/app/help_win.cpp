#include "app/help_win.h"

#include <windows.h>
#include <ddeml.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "base/texts.h"
#include "sys/handle_win.h"
#include "sys/registry_win.h"
#include "sys/shell_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

namespace help {

namespace {

constexpr const wchar_t* kNetscapeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe";
// How long a browser may take to complete one command: a browser that does
// not answer must never hold the program up for long.
constexpr DWORD kTransactionWaitMs = 5000;

// One DDE client conversation; everything it holds is released in the destructor.
class DdeConversation {
public:
    DdeConversation(std::string_view service, std::string_view topic) {
        // An ANSI client: the commands are text in the ANSI code page, which the
        // system hands to ANSI and Unicode servers alike.
        constexpr DWORD flags = APPCMD_CLIENTONLY | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
        if (DdeInitializeA(&inst_, Callback, flags, 0) != DMLERR_NO_ERROR) {
            inst_ = 0;
            return;
        }
        service_ = DdeCreateStringHandleA(inst_, std::string(service).c_str(), CP_WINANSI);
        topic_ = DdeCreateStringHandleA(inst_, std::string(topic).c_str(), CP_WINANSI);
        Open().push_back(this);
    }
    ~DdeConversation() {
        if (!inst_) return;
        if (pending_) DdeAbandonTransaction(inst_, conv_, pendingId_);
        if (conv_) DdeDisconnect(conv_);
        if (service_) DdeFreeStringHandle(inst_, service_);
        if (topic_) DdeFreeStringHandle(inst_, topic_);
        DdeUninitialize(inst_);
        auto& open = Open();
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
    }
    DdeConversation(const DdeConversation&) = delete;
    DdeConversation& operator=(const DdeConversation&) = delete;

    bool Connect() {
        if (inst_ && service_ && topic_) conv_ = DdeConnect(inst_, service_, topic_, nullptr);
        return conv_ != nullptr;
    }

    // Sends the command as text with its terminating zero; accepted when the
    // system took the transaction. Then waits, handling messages, until the
    // browser has answered or the time is up, so that the next conversation
    // does not overtake this one.
    bool Execute(const std::string& command) {
        std::vector<BYTE> data;
        if (!ToAnsi(command, data)) return false;
        DWORD id = 0;
        const HDDEDATA sent = DdeClientTransaction(data.data(), static_cast<DWORD>(data.size()), conv_, nullptr,
                                                   CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &id);
        if (!sent) return false;
        pending_ = true;
        pendingId_ = id;
        const ULONGLONG end = GetTickCount64() + kTransactionWaitMs;
        // Messages handled here must not start work inside the wait.
        const ui::LoopScope loop;
        while (pending_) {
            const ULONGLONG now = GetTickCount64();
            if (now >= end || !ui::Application::Get().ProcessMessages()) break;
            const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50));
            if (pending_) MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        }
        return true;
    }

private:
    // Command text in the system's ANSI code page, as the text format wants;
    // a path that code page cannot hold is not sent mangled.
    static bool ToAnsi(const std::string& utf8, std::vector<BYTE>& out) {
        const std::wstring wide = Widen(utf8);
        BOOL lossy = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
        if (n <= 0 || lossy) return false;
        out.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, reinterpret_cast<char*>(out.data()), n,
                            nullptr, nullptr);
        return true;
    }

    static std::vector<DdeConversation*>& Open() {
        static std::vector<DdeConversation*> open;
        return open;
    }

    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV conv, HSZ, HSZ, HDDEDATA, ULONG_PTR data1, ULONG_PTR) {
        if (type == XTYP_XACT_COMPLETE) {
            for (DdeConversation* c : Open())
                if (c->conv_ == conv && c->pending_ && c->pendingId_ == data1) c->pending_ = false;
        } else if (type == XTYP_DISCONNECT) {
            for (DdeConversation* c : Open())
                if (c->conv_ == conv) {
                    c->conv_ = nullptr;
                    c->pending_ = false;
                }
        }
        return nullptr;
    }

    DWORD inst_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HCONV conv_ = nullptr;
    bool pending_ = false;
    DWORD pendingId_ = 0;
};

}  // namespace

std::optional<std::string> WinHelpSystem::NetscapeAppPath() {
    return RegKey(HKEY_LOCAL_MACHINE, kNetscapeKey).ReadString(nullptr);  // the key's default value
}

std::optional<std::string> WinHelpSystem::AssociatedProgram(const std::string& file) {
    return AssociatedApplication(file);
}

bool WinHelpSystem::DdeExecute(std::string_view service, const std::string& command) {
    DdeConversation conversation(service, kDdeTopic);
    return conversation.Connect() && conversation.Execute(command);
}

std::optional<std::string> WinHelpSystem::AssociationCommand(const std::string& file) {
    return plivex::AssociationCommand(file);
}

bool WinHelpSystem::StartProgram(const std::string& commandLine) {
    const auto wide = TryWiden(commandLine);
    if (!wide) return false;
    std::wstring line = *wide;  // CreateProcessW may write into it
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const OwnedHandle process(pi.hProcess), thread(pi.hThread);
    return true;
}

bool WinHelpSystem::ShellOpen(const std::string& file, const std::string& params) {
    const std::wstring wparams = Widen(params);
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", Widen(file).c_str(),
                                                                params.empty() ? nullptr : wparams.c_str(), nullptr,
                                                                SW_SHOW));
    return result > 32;
}

void WinHelpSystem::ShowMessage(const std::string& text) { ui::MsgBox(text, "", kStyleExclamation); }

}  // namespace help

bool ShowHelp(const std::string& name, const std::string& anchor, bool useNN) {
    help::WinHelpSystem sys;
    return help::ShowHelp(sys, ProgramFolder(), name, anchor, useNN);
}

bool OpenHomePage(const std::string& address) {
    help::WinHelpSystem sys;
    return help::OpenHomePage(sys, address);
}

}  // namespace plivex
