// The program's answers to the codec's questions and its reports, on Windows.
#pragma once

#include <functional>
#include <string>

#include "app/codec_messages.h"
#include "codec/codec.h"
#include "ui/seams_win.h"

namespace plivex {

// What to do about an existing output file is asked by the overwrite dialog,
// unless a test installed an OverwriteAsker (ui/seams_win.h).

// Asks and reports through the program's message box.
class WinCodecUi : public CodecUi {
public:
    void ReportError(const CodecReport& report) override;
    bool ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) override;
    DeleteAnswer AskDeleteUnlikeContainer(const std::string& container) override;
    DeleteAnswer AskDeleteUnassociated(const std::string& plain, const std::string& container) override;
    CodecResult AskOverwrite(std::string& path) override;
    bool HasAssociation(const std::string& path) override;
    bool ConfirmUpgradeUnlike(const std::string& container, const std::string& name) override;

protected:
    // Shows the box; returns the button pressed.
    static MsgAnswer Show(const BoxMessage& box);
};

}  // namespace plivex
