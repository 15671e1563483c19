// How the program puts the codec's questions and reports to the user: the
// words, caption and style of each message box, and what its buttons mean.
#pragma once

#include <string>

#include "codec/codec.h"

namespace plivex {

struct BoxMessage {
    std::string text;
    std::string caption;  // empty: the program's title
    unsigned style = kStyleExclamation;
};

BoxMessage BoxForReport(const CodecReport& report);
// Yes/No; when the name looks wrong, No is the default so that Enter keeps the container.
BoxMessage BoxForMeltedName(const std::string& plain, const std::string& container, bool unlike);
// Yes/No/Cancel with No the default: Enter pressed in a hurry deletes nothing.
BoxMessage BoxForDeleteUnlikeContainer(const std::string& container);
BoxMessage BoxForDeleteUnassociated(const std::string& plain, const std::string& container);
// Yes/No with No the default: Enter converts nothing that may be garbage.
BoxMessage BoxForUpgradeUnlike(const std::string& container, const std::string& name);
// Yes deletes, Cancel stops the batch, anything else keeps the container.
DeleteAnswer DeleteAnswerOf(MsgAnswer button);

}  // namespace plivex
