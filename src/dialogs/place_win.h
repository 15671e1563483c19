// The one placement rule of the program's dialogs, by the options in force.
#pragma once

#include <memory>

#include "dialogs/placement.h"
#include "ui/app_win.h"
#include "ui/form_win.h"

namespace plivex {

class DialogBase;

// The window a dialog is opened from: the given form, else the main form, else none.
ui::Form* ReferenceWindow(ui::Form* from = nullptr);

// A plain dialog form: centred, beside the reference window, or left where it
// is (DialogPlacement); on top when StayOnTop is on (never taken away here).
void PlaceDialogForm(ui::Form* reference, ui::Form& form);

// A dialog component: on top when StayOnTop is on, then SetPos.
void PlaceDialogComponent(ui::Form* reference, DialogBase& dialog);

// Size of the whole primary screen in pixels.
ScreenSize PrimaryScreen();

// Makes a dialog used for one question: the busy cursor while it is made,
// the program brought to the front, the dialog placed by the rule.
template <class Dialog>
std::unique_ptr<Dialog> CreateQuestionDialog() {
    std::unique_ptr<Dialog> form;
    {
        ui::BusyCursor busy;
        form = std::make_unique<Dialog>();
    }
    ui::Application::Get().BringToFront();
    PlaceDialogForm(ReferenceWindow(), *form);
    return form;
}

}  // namespace plivex
