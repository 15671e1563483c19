// The progress of a long conversion: what is worked on, how far the pass has
// come, and the way to stop it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

inline constexpr std::string_view kCancelling = "中止しています…";

// The window's controls: a private base of the window, so that its own code
// names them directly and only ControlsForTest() reaches them from outside.
struct ProgressDialogControls {
    explicit ProgressDialogControls(ui::Form& form);

    ui::Label LabelFile;
    ui::Label LabelCount;
    ui::Label LabelPercent;
    ui::ProgressBar BarBytes;
    ui::Label LabelAmount;
    ui::Label LabelTimeLeft;
    ui::Button ButtonCancel;
};

class ProgressDialog : public ui::Form, private ProgressDialogControls {
public:
    ProgressDialog();

    // label: "暗号化：" or "解凍："; index from 0 of count files; bytes of the
    // whole pass, and the time worked on it so far.
    void Report(const std::string& label, const std::string& fileName, std::size_t index, std::size_t count,
                std::uint64_t done, std::uint64_t total, std::uint64_t workedMs);
    // Cancel, Esc or the close box was pressed; the conversion stops at its next step.
    bool CancelRequested() const { return cancelRequested_; }
    // The next file starts: a Cancel pressed for the last one is spent.
    void ResetCancel();
    // What Cancel, Esc and the close box do: the button goes grey and the window says so.
    void RequestCancel();

    // Tests and the screenshot tool drive the window through its controls.
    ProgressDialogControls& ControlsForTest() { return *this; }

private:
    bool cancelRequested_ = false;
};

}  // namespace plivex
