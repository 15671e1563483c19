// The program's answers to the codec's questions and its reports, on Windows.
#pragma once

#include <functional>
#include <string>

#include "app/codec_messages.h"
#include "codec/codec.h"

namespace plivex {

// Asks what to do about an existing output file; on kRenamed path holds the
// new full path. Without one installed, the overwrite confirmation dialog
// asks; tests install one to answer in its place.
using OverwriteAsker = std::function<CodecResult(std::string& path)>;
// Returns the previous asker.
OverwriteAsker SetOverwriteAsker(OverwriteAsker asker);

// Asks and reports through the program's message box.
class WinCodecUi : public CodecUi {
public:
    void ReportError(const CodecReport& report) override;
    bool ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) override;
    DeleteAnswer AskDeleteUnlikeContainer(const std::string& container) override;
    DeleteAnswer AskDeleteUnassociated(const std::string& plain, const std::string& container) override;
    CodecResult AskOverwrite(std::string& path) override;
    bool HasAssociation(const std::string& path) override;

protected:
    // Shows the box; returns the button pressed.
    static MsgAnswer Show(const BoxMessage& box);
};

}  // namespace plivex
