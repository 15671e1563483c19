// Test helper: an application the test prefix associates with the document
// types of the tests. It shows a window titled with its own command line and
// runs until that window is closed, as a word processor would.
// With PLIVEX_TEST_APP_SINGLE=1 in its environment it keeps one running copy:
// a later start hands its command line to that copy (appended to the title
// after " | ") and ends at once.
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kClass[] = L"PlivexTestApp";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        wchar_t title[2048] = {};
        GetWindowTextW(hwnd, title, 2048);
        std::wstring combined = std::wstring(title) + L" | " +
                                std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        SetWindowTextW(hwnd, combined.c_str());
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    const std::wstring commandLine = GetCommandLineW();
    wchar_t single[8] = {};
    GetEnvironmentVariableW(L"PLIVEX_TEST_APP_SINGLE", single, 8);
    if (std::wstring(single) == L"1") {
        if (HWND running = FindWindowW(kClass, nullptr)) {
            COPYDATASTRUCT data{0, static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)),
                                const_cast<wchar_t*>(commandLine.c_str())};
            SendMessageW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            return 0;
        }
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowW(kClass, commandLine.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300,
                                120, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
