// Renders every form of the program, in each of its states, into BMP files
// (scripts/screenshots turns them into PNGs), so a person can look at them,
// and reports what would look wrong at the display's DPI (exit code 1).
//   screenshots OUTPUT-FOLDER
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
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
int g_layoutFaults = 0;

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) { return Widen(WindowText(w)); }

RECT RectIn(HWND w, HWND parent) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A label: a static control that shows its text.
bool IsTextStatic(HWND w) {
    if (ClassOf(w) != L"Static") return false;
    const LONG type = GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK;
    return type <= SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

// Frames drawn behind other controls: they may hold them.
bool IsContainer(HWND w) {
    const std::wstring cls = ClassOf(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    if (cls == L"Button") return (style & BS_TYPEMASK) == BS_GROUPBOX;
    if (cls == L"Static") return (style & SS_TYPEMASK) >= SS_ETCHEDHORZ || (style & SS_TYPEMASK) == SS_ETCHEDFRAME;
    return cls == WC_TABCONTROLW || cls == L"#32770";
}

// The room a control gives its caption, or none for controls whose text scrolls or is not a caption.
std::optional<int> CaptionRoom(HWND w, const RECT& client) {
    const std::wstring cls = ClassOf(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    const int width = client.right - client.left;
    if (cls == L"Static") return IsTextStatic(w) ? std::optional<int>(width) : std::nullopt;
    if (cls != L"Button") return std::nullopt;
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: case BS_3STATE:
    case BS_AUTO3STATE:
        // The box and the gap after it, as the system draws them.
        return width - GetSystemMetrics(SM_CXMENUCHECK) - GetSystemMetrics(SM_CXEDGE) * 2;
    case BS_GROUPBOX:
        return width - 2 * GetSystemMetrics(SM_CXEDGE) * 4;
    case BS_OWNERDRAW:
        return std::nullopt;
    default:
        return width - 2 * GetSystemMetrics(SM_CXEDGE);
    }
}

// The caption's size in the control's font, & prefixes left out.
SIZE CaptionSize(HWND w, const std::wstring& text) {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT need{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return {need.right, need.bottom};
}

// How far from the left the text's ink reaches: the advance width of the last
// glyph may end in blank pixels, which cannot overlap anything.
int InkWidth(HWND w, const std::wstring& text) {
    const SIZE size = CaptionSize(w, text);
    if (size.cx <= 0 || size.cy <= 0) return 0;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT all{0, 0, size.cx, size.cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &all, DT_SINGLELINE);
    int ink = 0;
    for (int x = size.cx - 1; x >= 0 && ink == 0; --x)
        for (int y = 0; y < size.cy; ++y)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                ink = x + 1;
                break;
            }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// Where a control shows something: a one-line label only where its text is.
RECT InkRect(HWND w, HWND parent) {
    RECT r = RectIn(w, parent);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    const std::wstring text = TextOf(w);
    if (!IsTextStatic(w) || text.empty()) return r;
    const int width = std::min<int>(InkWidth(w, text), r.right - r.left);
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: r.left += (r.right - r.left - width) / 2; r.right = r.left + width; break;
    case SS_RIGHT: r.left = r.right - width; break;
    default: r.right = r.left + width; break;
    }
    return r;
}

void LayoutFault(const std::string& scene, const std::wstring& what) {
    ++g_layoutFaults;
    std::fprintf(stderr, "LAYOUT %s: %s\n", scene.c_str(), Narrow(what).c_str());
}

// What a person would see as wrong: a caption wider than its control, a
// control reaching out of its parent, two controls on top of each other.
void CheckLayout(HWND parent, const std::string& scene) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) children.push_back(c);
    RECT area;
    GetClientRect(parent, &area);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND c = children[i];
        const RECT r = RectIn(c, parent);
        const std::wstring name = ClassOf(c) + L" \"" + TextOf(c) + L"\"";
        if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
            LayoutFault(scene, name + L" reaches out of its window");
        RECT client;
        GetClientRect(c, &client);
        const std::wstring text = TextOf(c);
        if (const std::optional<int> room = CaptionRoom(c, client); room && !text.empty()) {
            const SIZE need = CaptionSize(c, text);
            const bool wraps = ClassOf(c) == L"Static" && !(GetWindowLongW(c, GWL_STYLE) & SS_LEFTNOWORDWRAP) &&
                               client.bottom >= 2 * need.cy;
            if (need.cx > *room && !wraps)
                LayoutFault(scene, name + L" needs " + std::to_wstring(need.cx) + L" px, has " + std::to_wstring(*room));
            if (need.cy > client.bottom) LayoutFault(scene, name + L" is cut at the bottom");
        }
        const RECT ink = InkRect(c, parent);
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT both;
            const RECT other = InkRect(children[j], parent);
            if (!IsContainer(c) && !IsContainer(children[j]) && IntersectRect(&both, &ink, &other))
                LayoutFault(scene, name + L" overlaps " + ClassOf(children[j]) + L" \"" + TextOf(children[j]) +
                                       L"\" by " + std::to_wstring(both.right - both.left) + L" px");
        }
        CheckLayout(c, scene);
    }
}

// The role a screen reader must announce for a control of this class and
// style; 0 for what takes no focus.
long ExpectedRole(HWND w) {
    const std::wstring cls = ClassOf(w);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    if (cls == L"Button") {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE: return ROLE_SYSTEM_CHECKBUTTON;
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return ROLE_SYSTEM_RADIOBUTTON;
        case BS_GROUPBOX: return 0;
        default: return ROLE_SYSTEM_PUSHBUTTON;  // owner-drawn tool buttons too
        }
    }
    if (cls == L"Edit") return ROLE_SYSTEM_TEXT;
    if (cls == L"ListBox") return ROLE_SYSTEM_LIST;
    if (cls == L"ComboBox") return ROLE_SYSTEM_COMBOBOX;
    if (cls == L"SysTreeView32") return ROLE_SYSTEM_OUTLINE;
    if (cls == L"SysTabControl32") return ROLE_SYSTEM_PAGETABLIST;
    return 0;
}

void AccessFault(const std::string& scene, const std::wstring& what) {
    ++g_layoutFaults;
    std::fprintf(stderr, "ACCESS %s: %s\n", scene.c_str(), Narrow(what).c_str());
}

// What a screen reader says of each control a user can reach: a name, and
// the role its kind has (the system's accessibility objects, as a reader
// would ask them). Owner-drawn tool buttons are push buttons named by their hint.
void CheckAccessible(HWND parent, const std::string& scene) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        CheckAccessible(c, scene);
        const long expected = ExpectedRole(c);
        if (!expected) continue;
        const std::wstring name = ClassOf(c) + L" \"" + TextOf(c) + L"\"";
        IAccessible* object = nullptr;
        // From the DLL itself: its import library defines IID_IAccessible a second time.
        using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
        static const auto fromWindow = reinterpret_cast<FromWindow>(
            reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
        if (!fromWindow ||
            FAILED(fromWindow(c, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&object))) ||
            !object) {
            AccessFault(scene, name + L" has no accessible object");
            continue;
        }
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR said = nullptr;
        if (FAILED(object->get_accName(self, &said)) || !said || !*said)
            AccessFault(scene, name + L" has no accessible name");
        SysFreeString(said);
        // A plain client is what a system that does not know the control's
        // kind says (Wine's); a role it does say must be the right one.
        VARIANT role;
        VariantInit(&role);
        if (FAILED(object->get_accRole(self, &role)) || role.vt != VT_I4 ||
            (role.lVal != expected && role.lVal != ROLE_SYSTEM_CLIENT))
            AccessFault(scene, name + L" has role " + std::to_wstring(role.vt == VT_I4 ? role.lVal : -1) +
                                   L", not " + std::to_wstring(expected));
        object->Release();
    }
}

// Copies the window with its frame (or only its client area), as drawn, into a 32-bit BMP file.
bool CaptureWindow(HWND hwnd, const std::string& name, bool clientOnly = false) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
    ui::Application::Get().ProcessMessages();
    CheckLayout(hwnd, name);
    CheckAccessible(hwnd, name);
    RECT r;
    if (clientOnly) GetClientRect(hwnd, &r);
    else GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC windowDc = clientOnly ? GetDC(hwnd) : GetWindowDC(hwnd);
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
void CaptureClient(ui::Form& form, const std::string& name) { CaptureWindow(form.Handle(), name, true); }

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
    plivex::ui::SetMsgBoxResponder(
        [](const std::string&, const std::string&, unsigned) { return plivex::MsgAnswer::kNo; });
    const int expected = plivex::RenderScenes();
    std::fprintf(stderr, "%d of %d screenshots written, %d layout faults\n", plivex::g_written, expected,
                 plivex::g_layoutFaults);
    return plivex::g_written == expected && plivex::g_layoutFaults == 0 ? 0 : 1;
}
