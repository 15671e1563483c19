#include "dialogs/progress_dialog_win.h"

#include "base/texts.h"
#include "dialogs/progress_numbers.h"

namespace plivex {

ProgressDialogControls::ProgressDialogControls(ui::Form& form)
    : LabelFile(form, 12, 12, "", 292),
      LabelCount(form, 12, 34, "", 140),
      LabelPercent(form, 164, 34, "", 140, ui::Alignment::Right),
      BarBytes(form, 12, 56, 292, 16),
      LabelAmount(form, 12, 78, "", 160),
      LabelTimeLeft(form, 176, 78, "", 128, ui::Alignment::Right),
      ButtonCancel(form, 113, 104, 90, 25, "&C・キャンセル", 0) {}

ProgressDialog::ProgressDialog()
    : Form(316, 141, std::string(kAppTitle), ui::BorderStyle::Dialog, ui::BorderIcons{true, false, false, false}),
      ProgressDialogControls(static_cast<ui::Form&>(*this)) {
    ButtonCancel.SetCancel(true);
    ButtonCancel.OnClick = [this] { RequestCancel(); };
    // The close box means Cancel; the window goes when the conversion has stopped.
    OnCloseQuery = [this] {
        RequestCancel();
        return false;
    };
}

// Taken at once, though a step that cannot stop (the stretch, a flush) may
// still run: the user sees that it was.
void ProgressDialog::RequestCancel() {
    cancelRequested_ = true;
    ButtonCancel.SetEnabled(false);
    LabelTimeLeft.SetText(std::string(kCancelling));
}

void ProgressDialog::ResetCancel() {
    if (!cancelRequested_) return;
    cancelRequested_ = false;
    ButtonCancel.SetEnabled(true);
    LabelTimeLeft.SetText("");
}

void ProgressDialog::Report(const std::string& label, const std::string& fileName, std::size_t index,
                           std::size_t count, std::uint64_t done, std::uint64_t total, std::uint64_t workedMs) {
    // Only changed texts are set: the labels do not flicker at every step.
    const auto show = [](ui::Label& to, const std::string& text) {
        if (to.Text() != text) to.SetText(text);
    };
    show(LabelFile, label + fileName);
    show(LabelCount, std::to_string(index + 1) + " / " + std::to_string(count));
    show(LabelPercent, PercentText(done, total));
    show(LabelAmount, AmountText(done, total));
    if (!cancelRequested_) show(LabelTimeLeft, TimeLeftShown(done, total, workedMs));
    BarBytes.SetPermille(total == 0 ? 1000 : static_cast<int>(done * 1000 / total));
}

}  // namespace plivex
