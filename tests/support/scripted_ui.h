// Records what the codec shows and answers its questions from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <stdexcept>
#include <functional>
#include <string>
#include <vector>

#include "app/codec_messages.h"
#include "codec/codec.h"
#include "codec/texts.h"

namespace plivex::test {

struct Shown {
    std::string text;
    std::string caption;
    unsigned style;
};

class ScriptedUi : public CodecUi {
public:
    std::vector<Shown> shown;
    std::deque<MsgAnswer> answers;                 // replies to questions, in order; OK for plain messages
    std::deque<std::pair<CodecResult, std::string>> overwrite;  // answers of the overwrite question (+ new path)
    std::vector<std::string> askedOverwrite;
    std::function<bool(const std::string&)> association = [](const std::string&) { return true; };

    // Shown as the program shows them, so that a test sees its words, caption and style.
    void ReportError(const CodecReport& report) override { Show(BoxForReport(report)); }
    bool ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) override {
        return Show(BoxForMeltedName(plain, container, unlike)) == MsgAnswer::kYes;
    }
    DeleteAnswer AskDeleteUnlikeContainer(const std::string& container) override {
        return DeleteAnswerOf(Show(BoxForDeleteUnlikeContainer(container)));
    }
    DeleteAnswer AskDeleteUnassociated(const std::string& plain, const std::string& container) override {
        return DeleteAnswerOf(Show(BoxForDeleteUnassociated(plain, container)));
    }
    CodecResult AskOverwrite(std::string& path) override {
        askedOverwrite.push_back(path);
        if (overwrite.empty()) throw std::logic_error("unexpected overwrite question: " + path);
        auto [answer, newPath] = overwrite.front();
        overwrite.pop_front();
        if (answer == CodecResult::kRenamed) path = newPath;
        return answer;
    }
    bool HasAssociation(const std::string& path) override { return association(path); }
    bool ConfirmUpgradeUnlike(const std::string& container, const std::string& name) override {
        return Show(BoxForUpgradeUnlike(container, name)) == MsgAnswer::kYes;
    }

private:
    MsgAnswer Show(const BoxMessage& box) {
        shown.push_back({box.text, box.caption, box.style});
        if (box.style == kStyleExclamation) return MsgAnswer::kOk;
        if (answers.empty()) throw std::logic_error("unexpected question: " + box.text);
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Known-answer vectors kept as data in tests/data/kat.
struct KatVector {
    std::string id;
    std::string password;  // code page 932 bytes
    std::string name;      // UTF-8 file name
    std::string body;
    std::string container;
};

std::vector<KatVector> LoadKatVectors();

// Known-answer containers of the strong format, computed by make_kat_v2.py.
struct StrongKatVector {
    std::string id;
    std::string password;  // UTF-8
    std::uint32_t iterations;
    std::string passSalt;  // 16 bytes
    std::string fileSalt;  // 16 bytes
    std::string name;      // UTF-8 file name
    std::string body;
    std::string container;
};
std::vector<StrongKatVector> LoadStrongKatVectors();
std::string ReadBinary(const std::string& path);

}  // namespace plivex::test
