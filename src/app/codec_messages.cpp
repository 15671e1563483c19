#include "app/codec_messages.h"

#include "codec/texts.h"

namespace plivex {

BoxMessage BoxForReport(const CodecReport& report) {
    std::string_view caption;
    switch (report.kind) {
        case CodecError::kFailed:
            break;
        case CodecError::kOpenFailed:
            caption = text::kCaptionOpenFailed;
            break;
        case CodecError::kCannotMelt:
            caption = text::kCaptionErrorReport;
            break;
        case CodecError::kInternal:
            caption = text::kCaptionInternalError;
            break;
    }
    return {report.message, std::string(caption), kStyleExclamation};
}

BoxMessage BoxForMeltedName(const std::string& plain, const std::string& container, bool unlike) {
    return {MeltedNameQuestion(plain, container, unlike), "", kStyleYesNo | (unlike ? kDefaultNo : 0)};
}

BoxMessage BoxForDeleteUnlikeContainer(const std::string& container) {
    return {text::ConfirmDeleteContainer(container), "", kStyleYesNoCancel | kDefaultNo};
}

BoxMessage BoxForDeleteUnassociated(const std::string& plain, const std::string& container) {
    return {text::ConfirmDeleteUnrelated(plain, container), "", kStyleYesNoCancel | kDefaultNo};
}

BoxMessage BoxForUpgradeUnlike(const std::string& container, const std::string& name) {
    return {text::ConfirmUpgradeUnlike(container, name), "", kStyleYesNo | kDefaultNo};
}

DeleteAnswer DeleteAnswerOf(MsgAnswer button) {
    if (button == MsgAnswer::kYes) return DeleteAnswer::kDelete;
    if (button == MsgAnswer::kCancel) return DeleteAnswer::kStop;
    return DeleteAnswer::kKeep;
}

}  // namespace plivex
