// Playing the user in Windows tests of forms.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "options/options.h"
#include "ui/app_win.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"
#include "win_support.h"

namespace plivex::test {

// Sends a key through the program's own loop, as if typed: to the focused
// control, or as an Alt accelerator when alt is set.
inline void Key(ui::Form& form, UINT vk, bool alt = false) {
    HWND target = GetFocus() ? GetFocus() : form.Handle();
    if (alt) {
        PostMessageW(target, WM_SYSCHAR, vk, 1 << 29);
    } else {
        PostMessageW(target, WM_KEYDOWN, vk, 0);
        PostMessageW(target, WM_KEYUP, vk, 0xC0000000);
    }
    ui::Application::Get().ProcessMessages();
}

// Presses Cancel in the progress window as soon as it shows, from a timer, as
// a user would while the conversion goes on; conversions are slowed meanwhile
// (the program's own seam) so that it shows.
class CancelWhenProgressShows {
public:
    CancelWhenProgressShows() : slow_(L"PLIVEX_TEST_STEP_MS", "50") { timer_.SetEnabled(true); }
    bool Pressed() const { return pressed_; }

private:
    void Look() {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM self) -> BOOL {
                if (!IsWindowVisible(w) || !FindWindowExW(w, nullptr, PROGRESS_CLASSW, nullptr)) return TRUE;
                if (HWND button = FindWindowExW(w, nullptr, L"Button", nullptr)) {
                    SendMessageW(button, BM_CLICK, 0, 0);
                    reinterpret_cast<CancelWhenProgressShows*>(self)->pressed_ = true;
                }
                return FALSE;
            },
            reinterpret_cast<LPARAM>(this));
        if (pressed_) timer_.SetEnabled(false);
    }
    test::EnvVar slow_;
    ui::Timer timer_{50, [this] { Look(); }};
    bool pressed_ = false;
};

// Restores the options in force when the test ends.
class OptionsGuard {
public:
    OptionsGuard() : saved_(OptionsInForce()) {}
    ~OptionsGuard() { OptionsInForce() = saved_; }
    OptionsGuard(const OptionsGuard&) = delete;
    OptionsGuard& operator=(const OptionsGuard&) = delete;

private:
    Options saved_;
};

}  // namespace plivex::test
