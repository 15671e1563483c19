// Playing the user in Windows tests of forms.
#pragma once

#include <windows.h>

#include "options/options.h"
#include "ui/app_win.h"
#include "ui/form_win.h"

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

// Restores the options in force when the test ends.
class OptionsGuard {
public:
    OptionsGuard() : saved_(CustomSet()) {}
    ~OptionsGuard() { CustomSet() = saved_; }
    OptionsGuard(const OptionsGuard&) = delete;
    OptionsGuard& operator=(const OptionsGuard&) = delete;

private:
    TCustomSet saved_;
};

}  // namespace plivex::test
