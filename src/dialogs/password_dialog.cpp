#include "dialogs/password_dialog.h"

#include "base/paths.h"
#include "base/secret.h"
#include "codec/codec.h"
#include "sys/cp932.h"

namespace plivex {

namespace {
constexpr int kMargin = 16;
constexpr int kTickGap = 8;
}

std::string InputPWFilesText(const std::vector<std::string>& files) {
    if (files.empty()) return {};
    std::string text = FileNamePart(files.front());
    if (files.size() > 1) text += "　他" + std::to_string(files.size() - 1) + "個";
    return text;
}

bool InputPWNoConfirmation(Direction mode, const Options& options) {
    return mode != Direction::kEncrypt || options.ShowPassword;
}

bool InputPWInitialUseMelted(Direction mode, const Options& options, std::size_t fileCount) {
    // Only melting leaves a file to open.
    if (mode != Direction::kMelt) return false;
    return options.OpenMeltedFile && (fileCount == 1 || options.OpenManyMeltedFiles);
}

bool InputPWFocusConfirmation(bool confirmationShown, const Options& options, std::string_view remembered) {
    return confirmationShown && options.RememberPassword && !remembered.empty();
}

bool InputPWNeedsCp932(Direction mode, bool strongFormat) {
    return (mode == Direction::kEncrypt && !strongFormat) || mode == Direction::kUpgrade;
}

std::optional<std::string> InputPWCheck(std::string_view password, bool confirmationInUse,
                                        std::string_view confirmation, bool cp932Needed) {
    if (password.empty()) return std::string(text::kEnterPassword);
    if (confirmationInUse && confirmation.empty()) return std::string(text::kEnterConfirmation);
    if (confirmationInUse && password != confirmation) return std::string(text::kPasswordsDiffer);
    if (!cp932Needed) return std::nullopt;
    std::optional<std::string> bytes = Utf8ToCp932(password);
    if (!bytes) return PasswordUnusableMessage(password);
    SecureWipe(*bytes);
    return std::nullopt;
}

InputPWCompaction CompactInputPW(const InputPWLayout& l) {
    int tickTop = l.checkBoxTop;
    int lowest;
    if (l.formatTickShown) {
        if (l.confirmationShown) tickTop = l.editPWConBottom + kTickGap;
        lowest = tickTop + l.tickHeight;
    } else if (l.confirmationShown) {
        return {tickTop, l.buttonTop, l.clientHeight};
    } else {
        lowest = l.checkBoxVisible ? l.checkBoxBottom : l.editPWBottom;
    }
    const int top = lowest + kMargin;
    return {tickTop, top, top + l.buttonHeight + kMargin};
}

}  // namespace plivex
