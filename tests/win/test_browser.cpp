// Test helper: a stand-in web browser.
//   test_browser [ARGS...]            records its start and exits
//   test_browser --serve SERVICE      records its start, then serves DDE
// Records go to the file named by PLIVEX_TEST_BROWSER_LOG, one a line:
// "start <own path>", "arg <argument>" each; a server adds "serving" once it
// answers, "dde <command>" for every execute command accepted on topic
// WWW_OpenURL, and "exit" at its end. Serving is also switched on
// by PLIVEX_TEST_BROWSER_SERVE=SERVICE, for a copy started by the program.
// A server ends after the first command other than "about:", or after 15 s.
#include <windows.h>
#include <ddeml.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring g_log;
DWORD g_inst = 0;
HSZ g_service = nullptr;
HSZ g_topic = nullptr;

void Record(const std::string& line) {
    const HANDLE f = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

std::string Utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            static_cast<INT_PTR>(DdeCmpStringHandles(hsz1, g_topic) == 0 && DdeCmpStringHandles(hsz2, g_service) == 0));
    case XTYP_EXECUTE: {
        std::string command(DdeGetData(data, nullptr, 0, 0), '\0');
        DdeGetData(data, reinterpret_cast<BYTE*>(command.data()), static_cast<DWORD>(command.size()), 0);
        command.resize(command.find('\0') == std::string::npos ? command.size() : command.find('\0'));
        Record("dde " + command);
        if (command != "about:") SetTimer(nullptr, 0, 300, nullptr);  // answer first, then go
        return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(DDE_FACK));
    }
    default:
        return nullptr;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t buf[MAX_PATH * 2];
    if (!GetEnvironmentVariableW(L"PLIVEX_TEST_BROWSER_LOG", buf, MAX_PATH * 2)) return 2;
    g_log = buf;
    GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    Record("start " + Utf8(buf));
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string service;
    if (GetEnvironmentVariableW(L"PLIVEX_TEST_BROWSER_SERVE", buf, MAX_PATH * 2)) service = Utf8(buf);
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--serve" && i + 1 < argc) service = Utf8(argv[++i]);
        else Record("arg " + Utf8(argv[i]));
    }
    LocalFree(argv);
    if (service.empty()) return 0;

    // An ANSI server: commands arrive as the ANSI text the program sends.
    if (DdeInitializeA(&g_inst, Serve, APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES, 0) !=
        DMLERR_NO_ERROR)
        return 3;
    g_service = DdeCreateStringHandleA(g_inst, service.c_str(), CP_WINANSI);
    g_topic = DdeCreateStringHandleA(g_inst, "WWW_OpenURL", CP_WINANSI);
    if (!DdeNameService(g_inst, g_service, nullptr, DNS_REGISTER)) return 4;
    Record("serving");
    SetTimer(nullptr, 0, 15000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        DispatchMessageW(&msg);
    }
    DdeNameService(g_inst, nullptr, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(g_inst, g_service);
    DdeFreeStringHandle(g_inst, g_topic);
    DdeUninitialize(g_inst);
    Record("exit");
    return 0;
}
