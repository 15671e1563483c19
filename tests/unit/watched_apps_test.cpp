// The watch list of opened applications, driven tick by tick with scripted
// process ends over an in-memory file system.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <utility>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "mem_files.h"
#include "monitor/watched_apps.h"
#include "scripted_ui.h"

namespace plivex {
namespace {

using enum CodecResult;

struct FakeProcess : WatchedProcess {
    std::optional<std::uint32_t> code = kStillActive;
    std::optional<std::uint32_t> ExitCode() override { return code; }
    void End() { code = 0; }
};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

class ProsMonTest : public ::testing::Test {
protected:
    test::MemFiles fs;
    test::ScriptedUi ui;
    Options opt;
    Codec codec{fs, ui, opt};
    WatchedApps list{SameIgnoringCase};
    std::vector<std::string> reported;
    const std::string key = MakeKeyString("pw");
    const std::string doc = "C:\\d\\report.doc", pvx = "C:\\d\\report.pvx";
    const std::string editor = "C:\\Apps\\Editor.exe";

    std::shared_ptr<FakeProcess> Started() { return std::make_shared<FakeProcess>(); }
    void Tick() {
        list.Poll(codec, [this](const std::string& name) { reported.push_back(name); });
    }
    // What Encode makes of the document's bytes with the batch's key.
    std::string ExpectedContainer(const std::string& content) {
        test::MemFiles other;
        other.files[doc] = content;
        Codec reference(other, ui, opt);
        EXPECT_EQ(reference.Encode(doc, pvx, kNoClash, kFormatVersion, key).result, kNoClash);
        return other.At(pvx);
    }
};

TEST_F(ProsMonTest, EndedApplicationGetsItsFileEncryptedAgainAndReleasesTheProcess) {
    fs.files[doc] = "edited text";
    auto process = Started();
    std::weak_ptr<FakeProcess> watch = process;
    list.AddEntry(doc, editor, key, kFormatVersion, std::move(process));

    Tick();
    Tick();
    EXPECT_EQ(list.Count(), 1u) << "still running";
    EXPECT_FALSE(fs.Has(pvx));

    watch.lock()->End();
    Tick();
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(watch.expired()) << "the handle outlives every entry";
    ASSERT_TRUE(fs.Has(pvx));
    EXPECT_EQ(fs.At(pvx), ExpectedContainer("edited text"));
    EXPECT_FALSE(fs.Has(doc)) << "DelRawF on deletes the plain file";
    EXPECT_EQ(reported, std::vector<std::string>{"report.doc"});
}

TEST_F(ProsMonTest, StrongContainerIsWrittenAgainInItsOwnFormatWithItsMasterKey) {
    // Melted from a strong container of another pass: its pass salt and count are kept.
    fs.files[doc] = "first text";
    codec.SetStrongIterations(1000);
    PassKeys pass = PassKeys::FromPassword("鍵😀");
    ASSERT_EQ(codec.Encode(doc, pvx, kNoClash, kStrongVersion, pass).result, kNoClash);
    const std::string before = fs.At(pvx);
    ContainerKey melted;
    std::string plain;
    int version = 0;
    PassKeys reading = PassKeys::FromPassword("鍵😀");
    ASSERT_EQ(codec.Melt(pvx, plain, kNoClash, version, reading, &melted).result, kNoClash);
    ASSERT_EQ(melted.version, kStrongVersion);

    fs.files[doc] = "edited text";
    auto process = Started();
    list.AddEntry(doc, editor, melted, process);
    process->End();
    Tick();
    ASSERT_TRUE(fs.Has(pvx));
    const std::string after = fs.At(pvx);
    EXPECT_EQ(after.substr(0, 28), before.substr(0, 28));  // format, count, pass salt
    EXPECT_NE(after.substr(28, 16), before.substr(28, 16)) << "a fresh file salt";
    // No stretch was needed to write it, and the password opens it.
    PassKeys again = PassKeys::FromPassword("鍵😀");
    ASSERT_EQ(codec.Melt(pvx, plain, kNoClash, version, again).result, kNoClash);
    EXPECT_EQ(fs.At(doc), "edited text");
}

TEST_F(ProsMonTest, FileHandedToARunningInstanceWaitsForThatInstance) {
    fs.files[doc] = "text";
    auto running = Started(), launched = Started();
    std::weak_ptr<FakeProcess> launchedWatch = launched;
    list.AddPlaceholder("c:\\apps\\EDITOR.EXE", running);  // the snapshot may spell it otherwise
    list.AddEntry(doc, editor, key, kFormatVersion, launched);
    launched->End();  // it passed the file on and ended at once
    launched.reset();

    Tick();
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_FALSE(list[1].Alive);
    EXPECT_EQ(list[1].Process, running) << "the real entry now waits on the running instance";
    EXPECT_TRUE(launchedWatch.expired()) << "the ended process is released once no entry holds it";
    Tick();
    EXPECT_FALSE(fs.Has(pvx));
    EXPECT_EQ(fs.files.size(), 1u);

    running->End();
    Tick();
    EXPECT_TRUE(list.Empty()) << "placeholder and real entry finish in the same tick";
    EXPECT_TRUE(fs.Has(pvx));
    EXPECT_EQ(reported, std::vector<std::string>{"report.doc"});
}

TEST_F(ProsMonTest, TwoEntriesOfOneApplicationEndingTogetherFinishOneTickApart) {
    const std::string memo = "C:\\d\\memo.txt";
    fs.files[doc] = "a";
    fs.files[memo] = "b";
    auto first = Started(), second = Started();
    list.AddEntry(doc, editor, key, kFormatVersion, first);
    list.AddEntry(memo, editor, key, kFormatVersion, second);
    list.AddEntry("C:\\d\\other.xls", "C:\\Apps\\Sheet.exe", key, kFormatVersion, Started());
    first->End();
    second->End();

    Tick();
    EXPECT_EQ(reported, std::vector<std::string>{"memo.txt"});
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0].FileName, doc);
    Tick();
    EXPECT_EQ(reported, (std::vector<std::string>{"memo.txt", "report.doc"}));
    EXPECT_EQ(list.Count(), 1u) << "another application is not taken over";
    EXPECT_TRUE(fs.Has(pvx) && fs.Has("C:\\d\\memo.pvx"));
}

TEST_F(ProsMonTest, PlaceholdersAndUnqueryableProcessesAreDroppedWithoutTouchingTheDisk) {
    fs.files["C:\\d\\($Dummy).pvx"] = "someone's container";
    auto unknown = Started();
    unknown->code.reset();  // the system cannot tell: counts as ended, never as running
    list.AddPlaceholder(editor, unknown);
    list.AddPlaceholder(editor, nullptr);
    const auto before = fs.files;

    Tick();
    EXPECT_EQ(list.Count(), 1u) << "the first waits one tick on the other's process";
    Tick();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(fs.files, before);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ProsMonTest, ContainerStillThereIsHandledByTheClashRuleAsAfterAnAnswer) {
    fs.files[doc] = "new";
    fs.files[pvx] = "old container";
    opt.OnNameClash = kNumberAtClash;
    auto process = Started();
    list.AddEntry(doc, editor, key, kFormatVersion, process);
    process->End();
    Tick();
    EXPECT_EQ(fs.At(pvx), "old container");
    EXPECT_TRUE(fs.Has("C:\\d\\report_2.pvx")) << "numbered beside the old one";
    EXPECT_TRUE(ui.askedOverwrite.empty());

    // Asking: the carried state 1 means no earlier "All yes" can skip the question.
    fs.files[doc] = "newer";
    opt.OnNameClash = kAskAtClash;
    ui.overwrite.push_back({kOverwrite, ""});
    process = Started();
    list.AddEntry(doc, editor, key, kFormatVersion, process);
    process->End();
    Tick();
    EXPECT_EQ(ui.askedOverwrite.size(), 1u);
    EXPECT_EQ(fs.At(pvx), ExpectedContainer("newer"));
}

// The codec's question runs a message loop: meanwhile the user may close the
// program (the list is cleared, the files left plain) and a batch may append.
TEST_F(ProsMonTest, ListChangedWhileTheCodecAsksIsTakenAsItIsAfterwards) {
    struct AskingUi : test::ScriptedUi {
        std::function<void()> meanwhile;
        CodecResult AskOverwrite(std::string& path) override {
            if (meanwhile) std::exchange(meanwhile, nullptr)();
            return ScriptedUi::AskOverwrite(path);
        }
    } asking;
    Codec askingCodec(fs, asking, opt);
    opt.OnNameClash = kAskAtClash;
    const std::string other = "C:\\d\\memo.txt", later = "C:\\d\\later.doc";
    fs.files[doc] = "edited";
    fs.files[pvx] = "old container";
    fs.files[other] = "memo";
    auto first = Started(), second = Started();
    list.AddEntry(doc, editor, key, kFormatVersion, first);
    list.AddEntry(other, "C:\\Apps\\Notes.exe", key, kFormatVersion, second);
    first->End();
    second->End();
    asking.overwrite.push_back({kSkipped, ""});
    asking.meanwhile = [&] {
        list.Clear();
        list.AddEntry(later, editor, key, kFormatVersion, Started());
    };
    list.Poll(askingCodec, [this](const std::string& name) { reported.push_back(name); });

    ASSERT_EQ(list.Count(), 1u) << "the entry appended meanwhile stays watched";
    EXPECT_EQ(list[0].FileName, later);
    EXPECT_FALSE(fs.Has("C:\\d\\memo.pvx")) << "an entry cleared meanwhile is not encrypted again";
    EXPECT_EQ(fs.At(other), "memo");
    EXPECT_EQ(asking.askedOverwrite.size(), 1u);
}

}  // namespace
}  // namespace plivex
