// An edit that reports getting and losing the focus and lets its owner take
// keys, Enter included, before the dialog manager turns Enter into the default button.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/controls_win.h"

namespace plivex::ui {

class FocusEdit : public Edit {
public:
    FocusEdit(Form& form, int left, int top, int width, int height, int tabOrder);
    ~FocusEdit() override;

    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    // A typed character; setting it to 0 swallows it.
    std::function<void(wchar_t& key)> OnKeyPress;
    void Command(WORD code) override;

private:
    static LRESULT CALLBACK KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
};

}  // namespace plivex::ui
