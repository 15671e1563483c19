#include "dialogs/place_win.h"

#include "dialogs/dialog_base_win.h"
#include "options/options.h"
#include "ui/app_win.h"

namespace plivex {

ScreenSize PrimaryScreen() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

ui::Form* ReferenceWindow(ui::Form* from) { return from ? from : ui::Application::Get().MainForm(); }

void PlaceDialogForm(ui::Form* reference, ui::Form& form) {
    const Options& options = OptionsInForce();
    const Point at = reference ? Point{reference->Left(), reference->Top()} : Point{0, 0};
    if (const auto p = PlaceFormPosition(options.DialogPlacement, at, form.Width(), form.Height(), PrimaryScreen()))
        form.SetPosition(p->left, p->top);
    if (options.StayOnTop) form.SetStayOnTop(true);
}

void PlaceDialogComponent(ui::Form* reference, DialogBase& dialog) {
    const Options& options = OptionsInForce();
    if (options.StayOnTop) dialog.SetFormStyle(FormStyle::StayOnTop);
    const Point at = reference ? Point{reference->Left(), reference->Top()} : Point{0, 0};
    if (options.DialogPlacement == kDialogsBesideOpener) dialog.PlaceAt(at.left, at.top);
    else dialog.PlaceCentred();
}

}  // namespace plivex
