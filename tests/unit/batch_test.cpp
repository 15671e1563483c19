// The batch driver's rules over a fake folder tree and a scripted host.
#include <gtest/gtest.h>

#include <algorithm>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/batch.h"
#include "codec/cipher.h"
#include "codec/codec.h"

namespace plivex {
namespace {

using Strings = std::vector<std::string>;
using enum CodecResult;

TEST(Batch, ExtensionsStatusTextsAndFolderPatterns) {
    for (const char* c : {"C:\\d\\a.pvx", "C:\\d\\A.PVX", "C:\\d\\b.PvX", "C:\\x.y\\.pvx", "C:\\d\\a.txt.pvx"})
        EXPECT_TRUE(IsContainerName(c)) << c;
    for (const char* p : {"C:\\d\\a.pvx.txt", "C:\\d\\a.pvxe", "C:\\d\\a.pv", "C:\\d.pvx\\a", "C:\\d\\pvx", "a.xpvx"})
        EXPECT_FALSE(IsContainerName(p)) << p;

    EXPECT_EQ(PassStatusText(Direction::kEncrypt, {"C:\\doc\\report.doc", "C:\\doc\\b.txt", "C:\\c.txt"}),
              "暗号化：report.doc　他2個");
    EXPECT_EQ(PassStatusText(Direction::kMelt, {"C:\\doc\\報告.pvx"}), "解凍：報告.pvx");

    EXPECT_EQ(FolderSearchPattern("C:\\doc"), "C:\\doc\\*.*");
    EXPECT_EQ(FolderSearchPattern("C:\\"), "C:\\*.*");
    // A trailing character whose code page 932 form ends in 0x5C is no separator.
    EXPECT_EQ(FolderSearchPattern("C:\\ソ表"), "C:\\ソ表\\*.*");
}

// Folders by path (with trailing backslash) and their entries in listing order.
struct FakeTree {
    struct Entry {
        std::string name;
        bool folder = false;
        bool link = false;
    };
    std::map<std::string, std::vector<Entry>> folders;
    int searches = 0;

    DirLister Lister() {
        return [this](const std::string& pattern, const std::function<void(const DirEntry&)>& each) {
            ++searches;
            if (pattern.size() > 300) {  // runaway recursion
                ADD_FAILURE() << "search too deep: " << pattern;
                return;
            }
            const std::size_t slash = pattern.rfind('\\');
            const auto it = folders.find(pattern.substr(0, slash + 1));
            if (it == folders.end()) return;
            const std::string name = pattern.substr(slash + 1);
            // Like a real listing, "." and ".." come along with everything else.
            if (name == "*.*") {
                each({".", true, false});
                each({"..", true, false});
            }
            for (const Entry& e : it->second)
                if (name == "*.*" || e.name == name) each({e.name, e.folder, e.link});
        };
    }
};

FakeTree SampleTree() {
    FakeTree t;
    t.folders["C:\\d\\"] = {{"b.txt"}, {"sub", true}, {"a.pvx"}, {".hid", true}, {"loop", true, true}, {"a.txt"}};
    t.folders["C:\\d\\sub\\"] = {{"deep", true}, {"a.txt"}, {"x.PVX"}};
    t.folders["C:\\d\\sub\\deep\\"] = {{"y.pvx.txt"}, {"a.txt"}};
    t.folders["C:\\d\\.hid\\"] = {{"z.txt"}};
    t.folders["C:\\d\\loop\\"] = {{"trap.txt"}, {"loop", true, true}};
    t.folders["C:\\empty\\"] = {{"inner", true}};
    t.folders["C:\\empty\\inner\\"] = {};
    return t;
}

TEST(Batch, ListFilesGoesDepthFirstWithFilesBeforeSubfolders) {
    FakeTree t = SampleTree();
    Strings work{"kept"};
    EXPECT_EQ(ListFiles("C:\\d\\*.*", work, Depth::kWithSubfolders, t.Lister()), 8u);
    EXPECT_EQ(work, (Strings{"kept", "C:\\d\\b.txt", "C:\\d\\a.pvx", "C:\\d\\a.txt", "C:\\d\\sub\\a.txt",
                             "C:\\d\\sub\\x.PVX", "C:\\d\\sub\\deep\\y.pvx.txt", "C:\\d\\sub\\deep\\a.txt",
                             "C:\\d\\.hid\\z.txt"}));

    // A plain name also finds the files of that name beneath its folder.
    work.clear();
    EXPECT_EQ(ListFiles("C:\\d\\a.txt", work, Depth::kWithSubfolders, t.Lister()), 3u);
    EXPECT_EQ(work, (Strings{"C:\\d\\a.txt", "C:\\d\\sub\\a.txt", "C:\\d\\sub\\deep\\a.txt"}));

    work.clear();
    EXPECT_EQ(ListFiles("C:\\d\\a.txt", work, Depth::kThisFolder, t.Lister()), 1u);
    EXPECT_EQ(ListFiles("C:\\empty\\*.*", work, Depth::kWithSubfolders, t.Lister()), 0u);
    EXPECT_EQ(work.size(), 1u);
}

TEST(Batch, ExpansionSortsByExtensionAndReportsWhatIsNotFound) {
    FakeTree t = SampleTree();
    t.folders["C:\\k\\"] = {{"A.PVX"}, {"a.pvx.txt"}, {"m.doc"}};
    const std::map<std::string, PathKind> kinds{{"C:\\d", PathKind::Folder},     {"C:\\empty\\", PathKind::Folder},
                                                {"C:\\k\\A.PVX", PathKind::File}, {"C:\\k\\a.pvx.txt", PathKind::File},
                                                {"C:\\k\\m.doc", PathKind::File}, {"C:\\k\\gone", PathKind::File}};
    auto kind = [&](const std::string& n) {
        const auto it = kinds.find(n);
        return it == kinds.end() ? PathKind::Missing : it->second;
    };
    Strings messages;
    const Passes p = ExpandNames({"C:\\k\\A.PVX", "C:\\nothing", "C:\\empty\\", "C:\\k\\gone", "C:\\k\\a.pvx.txt",
                                  "C:\\d", "C:\\k\\m.doc", "C:\\k\\m.doc"},
                                 kind, t.Lister(), [&](const std::string& m) { messages.push_back(m); });
    EXPECT_EQ(messages, (Strings{"ファイルが見つかりません。\nC:\\nothing", "ファイルが見つかりません。\nC:\\empty\\*.*",
                                 "ファイルが見つかりません。\nC:\\k\\gone"}));
    EXPECT_EQ(p.melt, (Strings{"C:\\k\\A.PVX", "C:\\d\\a.pvx", "C:\\d\\sub\\x.PVX"}));
    // A name given twice is worked twice.
    EXPECT_EQ(p.encrypt, (Strings{"C:\\k\\a.pvx.txt", "C:\\d\\b.txt", "C:\\d\\a.txt", "C:\\d\\sub\\a.txt",
                                  "C:\\d\\sub\\deep\\y.pvx.txt", "C:\\d\\sub\\deep\\a.txt", "C:\\d\\.hid\\z.txt",
                                  "C:\\k\\m.doc", "C:\\k\\m.doc"}));
}

std::string Key(const std::string& cp932) { return MakeKeyString(cp932); }

// Records every call as a line and answers from scripts.
class FakeHost : public BatchHost {
public:
    Strings log;
    std::deque<Answer> answers;
    std::map<std::string, CodecResult> results;  // by file; kNoClash when absent
    std::vector<CodecResult> carriedSeen;
    Strings keys;
    std::vector<const PassKeys*> passKeys;  // which pass's password each file got
    std::set<std::string> unwritten;         // melts that hand the carried state back without writing
    bool recycle = false;

    std::map<std::string, std::string> needs;  // containers that open only under this password

    Answer AskPassword(Direction pass, const Strings& files, const std::string& remembered, bool again) override {
        if (again) log.push_back("again " + files.at(0));
        else log.push_back("ask " + std::to_string(static_cast<int>(pass)) + " " + std::to_string(files.size()) + " [" + remembered + "]");
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool RememberPassword() override { return recycle; }
    CodecResult Encode(const std::string& f, const std::string& c, CodecResult carried, int version, PassKeys& k,
                       bool& written) override {
        log.push_back("enc " + f + " > " + c + (version == kStrongVersion ? " v2" : ""));
        const CodecResult result = Result(f, carried, k);
        written = Written(f, result);
        return result;
    }
    CodecResult Melt(const std::string& c, CodecResult carried, MeltedFile& melted, PassKeys& k) override {
        log.push_back("melt " + c);
        melted.plain = c + ".plain";
        melted.version = 1;
        melted.key = k.V1Key();
        const auto need = needs.find(c);
        melted.wrongPassword = need != needs.end() && (!k.KeyString() || k.KeyString()->str() != Key(need->second));
        const CodecResult result = Result(c, carried, k);
        melted.written = !melted.wrongPassword && Written(c, result);
        return result;
    }
    std::map<std::string, Upgraded> upgraded;  // by container; kConverted when absent
    Upgraded Upgrade(const std::string& c, PassKeys& k) override {
        log.push_back("upgrade " + c);
        passKeys.push_back(&k);
        const auto it = upgraded.find(c);
        return it == upgraded.end() ? Upgraded::kConverted : it->second;
    }
    void ReportUpgraded(const std::string& message, bool done) override {
        log.push_back((done ? "done " : "left ") + message);
    }
    void Melted(const MeltedFile& melted) override {
        log.push_back("open " + melted.plain + " v" + std::to_string(melted.version));
        keys.push_back(melted.key.keyString.str());
    }
    void Status(const std::string& text) override { log.push_back("status " + text); }
    void InternalError(std::string_view routine) override { log.push_back("internal " + std::string(routine)); }
    void ReportNotDeleted() override { log.push_back("pass end"); }
    void ReportNotConverted(const std::string& message) override { log.push_back("left " + message); }
    bool Cancelled() override { return cancelled; }
    bool cancelled = false;

private:
    // Here a skipped or failed file is one that was not written, whatever it carried.
    bool Written(const std::string& f, CodecResult result) const {
        return !unwritten.count(f) && result != kSkipped && result != kSkipAll && result != kFailed;
    }
    CodecResult Result(const std::string& f, CodecResult carried, PassKeys& k) {
        carriedSeen.push_back(carried);
        keys.push_back(k.KeyString() ? k.KeyString()->str() : "(none)");
        passKeys.push_back(&k);
        const auto it = results.find(f);
        return it == results.end() ? kNoClash : it->second;
    }
};

TEST(Batch, AnUpgradePassAsksOnceCountsStrongOnesApartAndNamesWhatItLeft) {
    FakeHost h;
    h.answers.push_back({true, Secret("pw"), false, false});
    h.upgraded = {{"C:\\b.pvx", Upgraded::kAlreadyStrong},
                  {"C:\\c.pvx", Upgraded::kLeft},
                  {"C:\\d.pvx", Upgraded::kCancelled}};
    Secret last("前回");
    RunUpgradePass({"C:\\a.pvx", "C:\\b.pvx", "C:\\c.pvx", "C:\\d.pvx", "C:\\e.pvx"}, h, last);
    EXPECT_EQ(h.log, (Strings{"ask 2 5 [前回]", "upgrade C:\\a.pvx", "upgrade C:\\b.pvx", "upgrade C:\\c.pvx",
                              "upgrade C:\\d.pvx", "status 変換：a.pvx　（未処理 3 個）",
                              "left 1 個のファイルを新しい形式に変換しました。\n1 個はすでに新しい形式でした。\n\n"
                              "次のファイルは変換されていません（4 個中 1 個を変換しました）。\nC:\\c.pvx\nC:\\d.pvx\nC:\\e.pvx"}));
    ASSERT_EQ(h.passKeys.size(), 4u);
    for (const PassKeys* k : h.passKeys) EXPECT_EQ(k, h.passKeys[0]);  // one password, stretched once
    EXPECT_TRUE(last.str().empty());  // not remembered: the option is off

    // Cancel at the prompt converts nothing and says nothing more; nothing to convert asks nothing.
    FakeHost c;
    c.answers.push_back({false, Secret(), false, false});
    RunUpgradePass({"C:\\a.pvx"}, c, last);
    EXPECT_EQ(c.log, (Strings{"ask 2 1 []"}));
    FakeHost none;
    RunUpgradePass({}, none, last);
    EXPECT_EQ(none.log, (Strings{"done 0 個のファイルを新しい形式に変換しました。"}));
}

TEST(Batch, PassesPromptOnceEachEncryptFirstAndCarryResultsAcross) {
    FakeHost h;
    h.answers = {{true, Secret("pw"), false}, {true, Secret("合言葉"), true}};
    h.results = {{"C:\\a.txt", kSkipAll}, {"C:\\b", kRenamed}, {"C:\\x.pvx", kSkipAll}, {"C:\\y.pvx", kOverwriteAll},
                 {"C:\\z.pvx", kRenamed}, {"C:\\w.pvx", kSkipped}};
    Secret last(std::string("old"));
    RunPasses({{"C:\\a.txt", "C:\\b"}, {"C:\\x.pvx", "C:\\y.pvx", "C:\\z.pvx", "C:\\w.pvx", "C:\\v.pvx"}}, h, last);
    // The summaries count what was converted; the skipped files are listed at each pass's end.
    EXPECT_EQ(h.log, (Strings{"ask 0 2 [old]", "enc C:\\a.txt > C:\\a.pvx", "enc C:\\b > C:\\b.pvx", "pass end",
                              "status 暗号化：b　（未処理 1 個）",
                              "left 次のファイルは暗号化されていません（2 個中 1 個を暗号化しました）。\nC:\\a.txt",
                              "ask 1 5 []", "melt C:\\x.pvx", "melt C:\\y.pvx", "open C:\\y.pvx.plain v1",
                              "melt C:\\z.pvx", "open C:\\z.pvx.plain v1", "melt C:\\w.pvx", "melt C:\\v.pvx",
                              "open C:\\v.pvx.plain v1", "pass end", "status 解凍：y.pvx　他2個　（未処理 2 個）",
                              "left 次のファイルは解凍されていません（5 個中 3 個を解凍しました）。\nC:\\x.pvx\nC:\\w.pvx"}));
    // Each file gets the previous file's result, also across the passes.
    EXPECT_EQ(h.carriedSeen, (std::vector<CodecResult>{kNoClash, kSkipAll, kRenamed, kSkipAll, kOverwriteAll, kRenamed, kSkipped}));
    // One key string per pass: the code page 932 bytes of the password and the suffix.
    const std::string k0 = Key("pw"), k1 = Key("\x8d\x87\x8c\xbe\x97\x74");
    EXPECT_EQ(h.keys, (Strings{k0, k0, k1, k1, k1, k1, k1, k1, k1, k1}));
    // One password object per pass: what it stretches serves every file of the pass.
    EXPECT_EQ(h.passKeys[0], h.passKeys[1]);
    EXPECT_EQ(h.passKeys[2], h.passKeys[6]);
    EXPECT_TRUE(last.empty());  // RememberPassword off
}

TEST(Batch, CancelFailureAndInternalErrorEndTheBatch) {
    {
        FakeHost h;  // cancel at the first prompt of a mixed batch
        h.recycle = true;
        h.answers = {{false, Secret(""), false}};
        Secret last(std::string("kept"));
        RunPasses({{"C:\\a.txt"}, {"C:\\x.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 0 1 [kept]"}));
        EXPECT_EQ(last.str(), "kept");
    }
    {
        FakeHost h;  // result 5 on the second of five: nothing more, no status
        h.answers = {{true, Secret("pw"), false}};
        h.results = {{"C:\\2", kFailed}};
        Secret last;
        RunPasses({{"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"}, {"C:\\x.pvx"}}, h, last);
        // Files finished before the failure may still be undeleted: the pass's end is told;
        // then what is left, of this pass and of the one that never began.
        EXPECT_EQ(h.log,
                  (Strings{"ask 0 5 []", "enc C:\\1 > C:\\1.pvx", "enc C:\\2 > C:\\2.pvx", "pass end",
                           "status 暗号化：1　（未処理 4 個）",
                           "left 次のファイルは暗号化されていません（5 個中 1 個を暗号化しました）。\nC:\\2\nC:\\3\nC:\\4\nC:\\5",
                           "left 次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\nC:\\x.pvx"}));
        // Stopped by the user: the status says so, with the same count.
        FakeHost c;
        c.answers = {{true, Secret("pw"), false}};
        c.results = {{"C:\\2", kFailed}};
        c.cancelled = true;
        RunPasses({{"C:\\1", "C:\\2", "C:\\3"}, {}}, c, last);
        EXPECT_EQ(c.log[4], "status 処理を中止しました。　（未処理 2 個）");
    }
    {
        FakeHost h;  // a failed melt is not opened and stops the pass
        h.answers = {{true, Secret("pw"), true}};
        h.results = {{"C:\\x.pvx", kFailed}};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\y.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 1 2 []", "melt C:\\x.pvx", "pass end", "status 解凍できませんでした：x.pvx",
                                  "left 次のファイルは解凍されていません（2 個中 0 個を解凍しました）。\nC:\\x.pvx\nC:\\y.pvx"}));
    }
    {
        FakeHost h;  // an impossible melt result
        h.answers = {{true, Secret("pw"), true}};
        h.results = {{"C:\\x.pvx", CodecResult{7}}};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\y.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 1 2 []", "melt C:\\x.pvx", "internal Deal()", "pass end",
                                  "status 解凍できませんでした：x.pvx",
                                  "left 次のファイルは解凍されていません（2 個中 0 個を解凍しました）。\nC:\\x.pvx\nC:\\y.pvx"}));
    }
    {
        // A password without code page 932 form never becomes a key string: the
        // codec refuses the compatible format without one, the strong one needs none.
        FakeHost h;
        h.answers = {{true, Secret("\xF0\x9F\x98\x80"), false}};
        Secret last;
        RunPasses({{"C:\\a"}, {}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 0 1 []", "enc C:\\a > C:\\a.pvx", "pass end", "status 暗号化：a"}));
        EXPECT_EQ(h.keys, (Strings{"(none)"}));
    }
    {
        // The prompt's format tick decides what the encryption pass writes; a
        // strong pass makes no key string, as nothing compatible is written.
        FakeHost h;
        h.answers = {{true, Secret("pw"), false, true}, {true, Secret("pw"), false, true}};
        Secret last;
        RunPasses({{"C:\\a"}, {"C:\\x.pvx"}}, h, last);
        EXPECT_EQ(h.log[1], "enc C:\\a > C:\\a.pvx v2");
        // The melt pass may meet either format: its key string is there when asked for.
        EXPECT_EQ(h.keys, (Strings{"(none)", Key("pw")}));
    }
    {
        FakeHost h;  // a strong container skipped (wrong password) is not opened; the batch goes on
        h.answers = {{true, Secret("pw"), true}};
        h.unwritten = {"C:\\x.pvx"};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\y.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 1 2 []", "melt C:\\x.pvx", "melt C:\\y.pvx", "open C:\\y.pvx.plain v1",
                                  "pass end", "status 解凍：y.pvx　（未処理 1 個）",
                                  "left 次のファイルは解凍されていません（2 個中 1 個を解凍しました）。\nC:\\x.pvx"}));
    }
    {
        FakeHost h;  // nothing to do: no prompt, no status
        Secret last;
        RunPasses({}, h, last);
        EXPECT_TRUE(h.log.empty());
    }
}

TEST(Batch, AWrongPasswordIsAskedAgainAndTheNewOneHoldsForTheRestOfThePass) {
    {
        FakeHost h;
        h.recycle = true;
        h.answers = {{true, Secret("wrong"), false}, {true, Secret("still"), false}, {true, Secret("right"), false}};
        h.needs = {{"C:\\x.pvx", "right"}, {"C:\\y.pvx", "right"}};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\y.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 1 2 []", "melt C:\\x.pvx", "again C:\\x.pvx", "melt C:\\x.pvx",
                                  "again C:\\x.pvx", "melt C:\\x.pvx", "melt C:\\y.pvx", "pass end",
                                  "status 解凍：x.pvx　他1個"}));
        EXPECT_EQ(h.passKeys.front(), h.passKeys.back());  // one pass, its password retyped
        EXPECT_EQ(last.str(), "right");
    }
    {
        // Cancel at a prompt that asks again skips that file and asks no more in this pass.
        FakeHost h;
        h.answers = {{true, Secret("wrong"), false}, {false, Secret(""), false}};
        h.needs = {{"C:\\x.pvx", "right"}, {"C:\\y.pvx", "right"}};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\y.pvx", "C:\\z.pvx"}}, h, last);
        EXPECT_EQ(h.log, (Strings{"ask 1 3 []", "melt C:\\x.pvx", "again C:\\x.pvx", "melt C:\\y.pvx",
                                  "melt C:\\z.pvx", "pass end", "status 解凍：z.pvx　（未処理 2 個）",
                                  "left 次のファイルは解凍されていません（3 個中 1 個を解凍しました）。\nC:\\x.pvx\nC:\\y.pvx"}));
    }
    {
        // Three times asked again, then the file is left and the pass goes on.
        FakeHost h;
        h.answers = {{true, Secret("a"), false}, {true, Secret("b"), false}, {true, Secret("c"), false},
                     {true, Secret("d"), false}};
        h.needs = {{"C:\\x.pvx", "right"}};
        Secret last;
        RunPasses({{}, {"C:\\x.pvx", "C:\\w.pvx"}}, h, last);
        EXPECT_EQ(std::count(h.log.begin(), h.log.end(), "again C:\\x.pvx"), kPasswordTries);
        EXPECT_EQ(std::count(h.log.begin(), h.log.end(), "melt C:\\x.pvx"), kPasswordTries + 1);
        EXPECT_EQ(h.log.back(), "left 次のファイルは解凍されていません（2 個中 1 個を解凍しました）。\nC:\\x.pvx");
    }
}

TEST(Batch, RecyclePWRemembersTheBarePasswordForTheNextPrompt) {
    FakeHost h;
    h.recycle = true;
    h.answers = {{true, Secret("first"), false}, {true, Secret("second"), false}};
    Secret last;
    RunPasses({{"C:\\a"}, {"C:\\b.pvx"}}, h, last);
    EXPECT_EQ(h.log[0], "ask 0 1 []");
    EXPECT_EQ(h.log[4], "ask 1 1 [first]");
    EXPECT_EQ(last.str(), "second");
}

TEST(Batch, DealIdleIsFalseOnlyWhileABatchRuns) {
    EXPECT_TRUE(BatchIdle());
    {
        BatchBusy outer;
        EXPECT_FALSE(BatchIdle());
        { BatchBusy inner; }
        EXPECT_FALSE(BatchIdle());  // a nested batch leaves the outer one running
    }
    EXPECT_TRUE(BatchIdle());
}

}  // namespace
}  // namespace plivex
