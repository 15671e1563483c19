// Renders every form of the program, in each of its states, into BMP files
// (scripts/screenshots turns them into PNGs), so a person can look at them.
//   screenshots OUTPUT-FOLDER
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/msgbox_win.h"
#include "screenshot_scenes_win.h"

namespace plivex {
namespace {

std::wstring g_folder;
int g_written = 0;

// Copies the window with its frame, as drawn, into a 32-bit BMP file.
bool CaptureWindow(HWND hwnd, const std::string& name) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
    ui::Application::Get().ProcessMessages();
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC windowDc = GetWindowDC(hwnd);
    HDC memDc = CreateCompatibleDC(windowDc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(windowDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memDc, bmp);
    BitBlt(memDc, 0, 0, w, h, windowDc, 0, 0, SRCCOPY);
    GdiFlush();

    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    const DWORD size = static_cast<DWORD>(w) * h * 4;
    fh.bfSize = fh.bfOffBits + size;
    const std::wstring path = g_folder + L"\\" + Widen(name) + L".bmp";
    bool ok = false;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD put;
        ok = WriteFile(f, &fh, sizeof fh, &put, nullptr) && WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &put, nullptr) &&
             WriteFile(f, bits, size, &put, nullptr);
        CloseHandle(f);
    }
    SelectObject(memDc, old);
    DeleteObject(bmp);
    DeleteDC(memDc);
    ReleaseDC(hwnd, windowDc);
    if (ok) ++g_written;
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "FAILED", name.c_str());
    return ok;
}

}  // namespace

void CaptureForm(ui::Form& form, const std::string& name) { CaptureWindow(form.Handle(), name); }

void CaptureModal(const std::string& name, const std::function<void()>& showModal) {
    ui::SetModalHook([&](ui::Form& form) {
        CaptureForm(form, name);
        form.EndModal(ui::mrCancel);
    });
    showModal();
    ui::SetModalHook(nullptr);
}

}  // namespace plivex

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    plivex::g_folder = argv[1];
    CreateDirectoryW(argv[1], nullptr);
    // Questions that scenes raise are answered No without a box.
    plivex::ui::SetMsgBoxResponder([](const std::string&, const std::string&, unsigned) { return 7; });
    const int expected = plivex::RenderScenes();
    std::fprintf(stderr, "%d of %d screenshots written\n", plivex::g_written, expected);
    return plivex::g_written == expected ? 0 : 1;
}
