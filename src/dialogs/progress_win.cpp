#include "dialogs/progress_win.h"

#include "base/texts.h"

namespace plivex {

TFormProgress::TFormProgress()
    : Form(316, 116, std::string(kAppTitle), ui::BorderStyle::Dialog, ui::BorderIcons{true, false, false, false}),
      LabelFile(*this, 12, 12, "", 292),
      LabelCount(*this, 12, 34, "", 292),
      BarBytes(*this, 12, 56, 292, 16),
      ButtonCancel(*this, 113, 82, 90, 25, "&C・キャンセル", 0) {
    ButtonCancel.SetCancel(true);
    ButtonCancel.OnClick = [this] { cancelRequested_ = true; };
    // The close box means Cancel; the window goes when the conversion has stopped.
    OnCloseQuery = [this] {
        cancelRequested_ = true;
        return false;
    };
}

void TFormProgress::Report(const std::string& label, const std::string& fileName, std::size_t index,
                           std::size_t count, std::uint64_t done, std::uint64_t total) {
    const std::string file = label + fileName;
    if (LabelFile.Text() != file) LabelFile.SetText(file);
    const std::string counted = std::to_string(index + 1) + " / " + std::to_string(count);
    if (LabelCount.Text() != counted) LabelCount.SetText(counted);
    BarBytes.SetPermille(total == 0 ? 1000 : static_cast<int>(done * 1000 / total));
}

}  // namespace plivex
