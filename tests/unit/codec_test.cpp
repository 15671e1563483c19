// Encode and Melt over an in-memory file system: every message, answer and
// fault path, with the files checked afterwards.
#include <gtest/gtest.h>

#include <thread>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "craft.h"
#include "mem_files.h"
#include "scripted_ui.h"

namespace plivex {
namespace {

using test::Craft;
using test::MemFiles;
using test::ScriptedUi;
using enum CodecResult;


std::string Pattern(std::size_t n, int seed = 0) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + seed + i / 251) & 0xFF);
    return s;
}

class CodecTest : public ::testing::Test {
protected:
    MemFiles fs;
    ScriptedUi ui;
    Options opt;
    Codec codec{fs, ui, opt};
    const std::string key = MakeKeyString("pw");

    // The outcome's result; the rest of it stays in last.
    CodecResult Encode(const std::string& src, CodecResult carried = kNoClash, int version = 1) {
        last = codec.Encode(src, ChangeExt(src, "pvx"), carried, version, key);
        return last.result;
    }
    CodecResult Melt(const std::string& container, std::string& plain, CodecResult carried = kNoClash) {
        int version = -1;
        last = codec.Melt(container, plain, carried, version, key);
        return last.result;
    }
    CodecOutcome last;
    void ExpectOnly(const std::string& text, const std::string& caption) {
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, text);
        EXPECT_EQ(ui.shown[0].caption, caption);
        EXPECT_EQ(ui.shown[0].style, 48u);
    }
};

// ---- Known answers -------------------------------------------------------

TEST_F(CodecTest, KnownAnswerContainersEncodeAndMeltByteExact) {
    for (const auto& v : test::LoadKatVectors()) {
        SCOPED_TRACE(v.id);
        MemFiles files;
        ScriptedUi answers;
        Options o;
        o.ConfirmMeltedName = false;
        Codec c(files, answers, o);
        const std::string kkey = MakeKeyString(v.password);
        const std::string src = "C:\\in\\" + v.name;
        files.files[src] = v.body;
        ASSERT_EQ(c.Encode(src, ChangeExt(src, "pvx"), kNoClash, 1, kkey).result, kNoClash);
        ASSERT_TRUE(files.Has(ChangeExt(src, "pvx")));
        EXPECT_TRUE(files.At(ChangeExt(src, "pvx")) == v.container);
        EXPECT_FALSE(files.Has(src));  // deleted after the container was complete

        // Renamed and moved, it still melts under its stored name, in its new folder.
        files.files["D:\\moved\\x.pvx"] = v.container;
        std::string plain;
        int version = 0;
        ASSERT_EQ(c.Melt("D:\\moved\\x.pvx", plain, kNoClash, version, kkey).result, kNoClash);
        EXPECT_EQ(version, 1);
        EXPECT_EQ(plain, "D:\\moved\\" + v.name);
        EXPECT_TRUE(files.At(plain) == v.body);
        EXPECT_FALSE(files.Has("D:\\moved\\x.pvx"));
        EXPECT_TRUE(files.Temps().empty());
        EXPECT_TRUE(answers.shown.empty());
    }
}

TEST_F(CodecTest, StreamsThroughBoundedBuffers) {
    fs.files["C:\\big.bin"] = Pattern(3 * Codec::kChunkSize + 123);
    ASSERT_EQ(Encode("C:\\big.bin"), kNoClash);
    EXPECT_LE(fs.maxReadRequest, Codec::kChunkSize);
    opt.ConfirmMeltedName = false;
    std::string plain;
    ASSERT_EQ(Melt("C:\\big.pvx", plain), kNoClash);
    EXPECT_TRUE(fs.At("C:\\big.bin") == Pattern(3 * Codec::kChunkSize + 123));
}

// ---- Encode: refusals and failures ---------------------------------------

TEST_F(CodecTest, PlaceholderSourceIsSkippedUntouched) {
    EXPECT_EQ(codec.Encode("($Dummy)", "($Dummy).pvx", kNoClash, 1, key).result, kSkipped);
    EXPECT_TRUE(fs.files.empty());
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(CodecTest, SourceThatCannotBeOpenedIsNamed) {
    EXPECT_EQ(Encode("C:\\missing.txt"), kFailed);
    ExpectOnly("C:\\missing.txt", "オープン失敗");
    fs.files["C:\\held.txt"] = "x";
    fs.locked.insert("C:\\held.txt");
    ui.shown.clear();
    EXPECT_EQ(Encode("C:\\held.txt"), kFailed);
    ExpectOnly("C:\\held.txt", "オープン失敗");
    EXPECT_FALSE(fs.Has("C:\\held.pvx"));
}

// A source the options say to delete but that stays (read-only) is not
// passed over in silence: the caller collects it and tells the user.
TEST_F(CodecTest, SourcesThatCannotBeDeletedAreCollectedForOneReport) {
    fs.files["C:\\ro.txt"] = "plain";
    fs.readOnly.insert("C:\\ro.txt");
    fs.files["C:\\ok.txt"] = "plain";
    EXPECT_EQ(Encode("C:\\ro.txt"), kNoClash);
    EXPECT_EQ(Encode("C:\\ok.txt"), kNoClash);
    EXPECT_TRUE(fs.Has("C:\\ro.pvx") && fs.Has("C:\\ro.txt") && !fs.Has("C:\\ok.txt"));
    opt.ConfirmMeltedName = false;
    fs.files["C:\\sub\\ro.pvx"] = fs.At("C:\\ro.pvx");
    fs.readOnly.insert("C:\\sub\\ro.pvx");
    std::string plain;
    EXPECT_EQ(Melt("C:\\sub\\ro.pvx", plain), kNoClash);
    EXPECT_TRUE(ui.shown.empty()) << "told once, by the caller, not per file";
    const text::UndeletedFiles kept = codec.TakeNotDeleted();
    EXPECT_EQ(kept.paths, (std::vector<std::string>{"C:\\ro.txt", "C:\\sub\\ro.pvx"}));
    EXPECT_TRUE(kept.readOnly);
    // After a melt: the containers are what is left.
    EXPECT_EQ(text::NotDeleted(kept), "解凍しましたが、次の暗号化ファイルを削除できませんでした。\nC:\\ro.txt\nC:\\sub\\ro.pvx\n"
                                      "読み取り専用のファイルです。");
    EXPECT_TRUE(kept.reasons.empty()) << "this file system gives no reasons";
    EXPECT_TRUE(codec.TakeNotDeleted().empty());

    // One path a line, at most ten; the system's reasons last, each once.
    fs.reason = "アクセスが拒否されました。";
    fs.files["C:\\ro.txt"] = "plain again";
    fs.files["C:\\ro2.txt"] = "plain";
    fs.readOnly.insert("C:\\ro2.txt");
    opt.OnNameClash = kNumberAtClash;
    EXPECT_EQ(Encode("C:\\ro.txt"), kNoClash);  // into ro_2.pvx
    EXPECT_EQ(Encode("C:\\ro2.txt"), kNoClash);
    // After encrypting: the container is made, the plain file is what is left unprotected.
    const std::string header = "暗号化ファイルは作成しましたが、次の元のファイルを削除できませんでした。"
                               "暗号化されていないファイルが残っています。";
    EXPECT_EQ(text::NotDeleted(codec.TakeNotDeleted()),
              header + "\nC:\\ro.txt\nC:\\ro2.txt\n読み取り専用のファイルです。\nアクセスが拒否されました。");
    text::UndeletedFiles many;
    for (int i = 1; i <= 12; ++i) many.paths.push_back("C:\\f" + std::to_string(i));
    std::string ten = header;
    for (int i = 1; i <= 10; ++i) ten += "\nC:\\f" + std::to_string(i);
    EXPECT_EQ(text::NotDeleted(many), ten + "\n…他2個");
    many.paths.resize(10);
    EXPECT_EQ(text::NotDeleted(many), ten);
}

// Where the system says why a file operation failed, its words end the message.
TEST_F(CodecTest, FailuresEndWithTheSystemsReasonWhereItGaveOne) {
    fs.reason = "プロセスはファイルにアクセスできません。";
    fs.files["C:\\held.txt"] = "x";
    fs.locked.insert("C:\\held.txt");
    EXPECT_EQ(Encode("C:\\held.txt"), kFailed);
    ExpectOnly("C:\\held.txt\nプロセスはファイルにアクセスできません。", "オープン失敗");
    ui.shown.clear();
    fs.files["C:\\big.txt"] = Pattern(5000, 1);
    fs.diskFree = 1000;
    EXPECT_EQ(Encode("C:\\big.txt"), kFailed);
    ExpectOnly(text::WriteFailed("C:\\big.pvx") + "\n元のファイルはそのままです。\nプロセスはファイルにアクセスできません。", "");
    // A file that ends before its size said is no failure of the system: no reason to give.
    ui.shown.clear();
    fs.diskFree = UINT64_MAX;
    fs.files["C:\\short.txt"] = "abc";
    fs.fakeSize["C:\\short.txt"] = 10;
    EXPECT_EQ(Encode("C:\\short.txt"), kFailed);
    ExpectOnly(text::ReadFailed("C:\\short.txt") + "\n元のファイルはそのままです。", "");
}

TEST_F(CodecTest, SizeFailureWritesNothing) {
    fs.files["C:\\a.txt"] = "abc";
    fs.sizeFails.insert("C:\\a.txt");
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    ExpectOnly("サイズ取得失敗", "");
    EXPECT_EQ(fs.files.size(), 1u);
}

// Whatever the writer stores, the reader gives back: a name either format
// could not melt back under itself is refused before anything is written, the
// source kept and the file skipped (the batch goes on); every other name
// round-trips byte-exact under the same name.
TEST(StoredNames, EveryNameIsRefusedByTheWriterOrMeltsBackUnderItself) {
    enum Kind { kOk, kUnusable, kLong, kEncoding };
    struct Case {
        std::string name;
        Kind v1, v2;
    };
    // '\\', '/' and ':' cannot be inside a file-name part of a Windows path.
    const std::vector<Case> cases = {
        {"報告書.docx", kOk, kOk},
        {"CONSOLE.txt", kOk, kOk},
        {".profile", kOk, kOk},
        {"a b.tar.gz", kOk, kOk},
        {"表示.txt", kOk, kOk},  // a second byte 0x5C in code page 932 is no separator
        {"CON", kUnusable, kUnusable},
        {"con.txt", kUnusable, kUnusable},
        {"Nul.txt", kUnusable, kUnusable},
        {"aux .log", kUnusable, kUnusable},
        {"COM1", kUnusable, kUnusable},
        {"lpt9.dat", kUnusable, kUnusable},
        {"trail.", kUnusable, kUnusable},
        {"sp ace .txt ", kUnusable, kUnusable},
        {"what?.txt", kUnusable, kUnusable},
        {"a<b", kUnusable, kUnusable},
        {"a>b", kUnusable, kUnusable},
        {"a\"b", kUnusable, kUnusable},
        {"a|b.txt", kUnusable, kUnusable},
        {"a*b", kUnusable, kUnusable},
        {"tab\there", kUnusable, kUnusable},
        {"del\x7F", kUnusable, kUnusable},
        {"bad\xFF.txt", kEncoding, kUnusable},
        {"\xF0\x9F\x98\x80.txt", kEncoding, kOk},
        {std::string(251, 'n') + ".txt", kOk, kOk},      // 255 bytes, the compatible format's longest
        {std::string(252, 'n') + ".txt", kLong, kOk},
        {std::string(1020, 'n') + ".txt", kLong, kOk},   // 1,024 bytes, the strong format's longest
        {std::string(1021, 'n') + ".txt", kLong, kLong},
    };
    for (const Case& c : cases) {
        for (const int version : {kFormatVersion, kStrongVersion}) {
            SCOPED_TRACE(c.name + " v" + std::to_string(version));
            MemFiles fs;
            ScriptedUi ui;
            Options opt;
            opt.ConfirmMeltedName = false;
            opt.DeleteContainerAfterMelt = false;
            Codec codec(fs, ui, opt);
            codec.SetStrongIterations(strong::kMinIterations);
            const std::string source = "C:\\in\\" + c.name, container = "C:\\in\\x.pvx";
            const std::string body = Pattern(100, static_cast<int>(c.name.size()));
            fs.files[source] = body;
            PassKeys writing = PassKeys::ToWrite("pw", version);
            const CodecOutcome encoded = codec.Encode(source, container, kNoClash, version, writing);
            EXPECT_EQ(encoded.result, kNoClash);
            const Kind kind = version == kFormatVersion ? c.v1 : c.v2;
            if (kind != kOk) {
                EXPECT_FALSE(encoded.written);
                ASSERT_EQ(ui.shown.size(), 1u);
                EXPECT_EQ(ui.shown[0].text, kind == kUnusable ? text::NameUnusable(source)
                                            : kind == kLong   ? text::NameTooLong(source)
                                                              : text::NameNotEncodable(source));
                EXPECT_TRUE(fs.At(source) == body);
                EXPECT_EQ(fs.files.size(), 1u);  // nothing else, no temporary file
                continue;
            }
            ASSERT_TRUE(encoded.written);
            EXPECT_FALSE(fs.Has(source));
            fs.files["D:\\moved\\y.pvx"] = fs.At(container);
            PassKeys reading = PassKeys::FromPassword("pw");
            std::string plain;
            int melted = 0;
            const CodecOutcome melt = codec.Melt("D:\\moved\\y.pvx", plain, kNoClash, melted, reading);
            ASSERT_EQ(melt.result, kNoClash);
            ASSERT_TRUE(melt.written);
            EXPECT_EQ(melted, version);
            EXPECT_EQ(plain, "D:\\moved\\" + c.name);
            EXPECT_TRUE(fs.At(plain) == body);
            EXPECT_TRUE(ui.shown.empty());
        }
    }
}

TEST_F(CodecTest, LimitsOfTheFormatAreRefusedBeforeWriting) {
    fs.files["C:\\d\\big.dat"] = "tiny";
    // 2 + n + size must stay below 4 GiB: "big.dat" has n = 7.
    fs.fakeSize["C:\\d\\big.dat"] = (1ull << 32) - 9;
    ui.shown.clear();
    EXPECT_EQ(Encode("C:\\d\\big.dat"), kFailed);
    ExpectOnly("ファイルが大きすぎるため暗号化できません。\n\"C:\\d\\big.dat\"\n新しい形式（AES-256）なら暗号化できます。", "");
    // One byte less is inside the format; the short file then fails as a read, not as a limit.
    fs.fakeSize["C:\\d\\big.dat"] = (1ull << 32) - 10;
    ui.shown.clear();
    EXPECT_EQ(Encode("C:\\d\\big.dat"), kFailed);
    ExpectOnly("ファイルの読み込みに失敗しました。\n\"C:\\d\\big.dat\"\n元のファイルはそのままです。", "");
    EXPECT_TRUE(fs.Has("C:\\d\\big.dat"));
    EXPECT_FALSE(fs.Has("C:\\d\\big.pvx"));
    EXPECT_TRUE(fs.Temps().empty());
}

TEST_F(CodecTest, ContainerThatCannotBeCreatedKeepsEverything) {
    fs.files["R:\\ro.txt"] = "source";
    fs.readOnlyFolders.insert("R:\\");
    EXPECT_EQ(Encode("R:\\ro.txt"), kFailed);
    ExpectOnly("R:\\ro.pvx", "オープン失敗");
    EXPECT_EQ(fs.files.size(), 1u);

    // A locked existing container, overwrite chosen: it stays as it was.
    opt.OnNameClash = kAskAtClash;
    fs.files["C:\\a.txt"] = "new";
    fs.files["C:\\a.pvx"] = "old container";
    fs.locked.insert("C:\\a.pvx");
    ui.shown.clear();
    ui.overwrite.push_back({kOverwrite, ""});
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    ExpectOnly("C:\\a.pvx", "オープン失敗");
    EXPECT_EQ(fs.At("C:\\a.pvx"), "old container");
    EXPECT_EQ(fs.At("C:\\a.txt"), "new");
}

TEST_F(CodecTest, OtherFormatVersionIsAnInternalError) {
    fs.files["C:\\a.txt"] = "abc";
    EXPECT_EQ(Encode("C:\\a.txt", kNoClash, 2), kFailed);
    ExpectOnly("Encode()", "内部エラー");
    EXPECT_EQ(fs.files.size(), 1u);
}

TEST_F(CodecTest, DiskFullAtAnyPointKeepsSourceAndLeavesNoOutput) {
    const std::string body = Pattern(2 * Codec::kChunkSize + 5);
    const std::uint64_t containerSize = 2 + 5 + body.size();  // "a.dat"
    for (std::uint64_t room : std::vector<std::uint64_t>{0, 1, 6, 7, 8, 1000, 7 + Codec::kChunkSize, containerSize - 1}) {
        SCOPED_TRACE(room);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\a.dat"] = body;
        files.diskFree = room;
        EXPECT_EQ(c.Encode("C:\\a.dat", "C:\\a.pvx", kNoClash, 1, key).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, "ファイルの書き込みに失敗しました。\n\"C:\\a.pvx\"\n元のファイルはそのままです。");
        EXPECT_TRUE(files.At("C:\\a.dat") == body);
        EXPECT_EQ(files.files.size(), 1u);  // no container, no temporary file
    }
    // Exactly enough room succeeds.
    fs.files["C:\\a.dat"] = body;
    fs.diskFree = containerSize;
    EXPECT_EQ(Encode("C:\\a.dat"), kNoClash);
}

// Cancelled between two steps: no partial output, the source as it was, no
// message; a container being replaced stays the old one.
TEST_F(CodecTest, ATemporaryFileThatCannotBeRemovedIsNamedWithTheReason) {
    // Melted bytes may lie in it: the user is told where, after a failure and after Cancel.
    fs.files["C:\\a.txt"] = Pattern(1000);
    fs.diskFree = 10;
    fs.locked.insert("C:\\~plvx1.tmp");
    fs.reason = "アクセスが拒否されました。";
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    ExpectOnly(text::WriteFailed("C:\\a.pvx") + "\n元のファイルはそのままです。\n" + fs.reason + "\n" + text::TempNotRemoved("C:\\~plvx1.tmp") +
                   "\n" + fs.reason,
               "");
    ui.shown.clear();
    fs.diskFree = UINT64_MAX;
    fs.locked.insert("C:\\~plvx2.tmp");
    struct StopAtOnce : Progress {
        bool Advance(std::uint64_t, std::uint64_t) override { return false; }
    } stop;
    codec.SetProgress(&stop);
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    EXPECT_TRUE(last.cancelled);
    ExpectOnly(text::TempNotRemoved("C:\\~plvx2.tmp") + "\n" + fs.reason, "");
    EXPECT_TRUE(fs.Has("C:\\a.txt"));
}

TEST_F(CodecTest, CancelBetweenStepsLeavesTheSourceAndNoOutput) {
    struct StopAt : Progress {
        std::uint64_t stopAt;
        std::vector<std::uint64_t> seen;
        explicit StopAt(std::uint64_t at) : stopAt(at) {}
        bool Advance(std::uint64_t done, std::uint64_t total) override {
            seen.push_back(done);
            EXPECT_LE(done, total);
            return done < stopAt;
        }
    } stop(Codec::kChunkSize);
    codec.SetProgress(&stop);
    const std::string body = Pattern(3 * Codec::kChunkSize + 5);
    fs.files["C:\\big.txt"] = body;
    fs.files["C:\\big.pvx"] = "old container";
    opt.OnNameClash = kAskAtClash;
    ui.overwrite.push_back({kOverwrite, ""});
    EXPECT_EQ(Encode("C:\\big.txt"), kFailed);
    EXPECT_TRUE(last.cancelled);
    EXPECT_EQ(stop.seen, (std::vector<std::uint64_t>{Codec::kChunkSize}));
    EXPECT_EQ(fs.At("C:\\big.txt"), body);
    EXPECT_EQ(fs.At("C:\\big.pvx"), "old container");
    EXPECT_TRUE(fs.Temps().empty());
    EXPECT_TRUE(ui.shown.empty());

    // Melting: the container stays, no plain file; a later file is not cancelled.
    codec.SetProgress(nullptr);
    opt.ConfirmMeltedName = false;
    fs.files.erase("C:\\big.pvx");
    ASSERT_EQ(Encode("C:\\big.txt"), kNoClash);
    EXPECT_FALSE(last.cancelled);
    const std::string container = fs.At("C:\\big.pvx");
    codec.SetProgress(&stop);
    std::string plain;
    EXPECT_EQ(Melt("C:\\big.pvx", plain), kFailed);
    EXPECT_TRUE(last.cancelled);
    EXPECT_EQ(fs.At("C:\\big.pvx"), container);
    EXPECT_FALSE(fs.Has("C:\\big.txt"));
    EXPECT_TRUE(fs.Temps().empty());
}

TEST_F(CodecTest, ReadFlushAndRenameFailuresKeepSource) {
    const std::string body = Pattern(3 * Codec::kChunkSize);
    struct Fault {
        const char* name;
        std::function<void(MemFiles&)> arm;
        const char* message;
    };
    const std::vector<Fault> faults = {
        {"read fails midway", [](MemFiles& f) { f.readFailAt["C:\\a.dat"] = Codec::kChunkSize + 10; },
         "ファイルの読み込みに失敗しました。\n\"C:\\a.dat\"\n元のファイルはそのままです。"},
        {"source shorter than its size", [&](MemFiles& f) { f.fakeSize["C:\\a.dat"] = body.size() + 1; },
         "ファイルの読み込みに失敗しました。\n\"C:\\a.dat\"\n元のファイルはそのままです。"},
        {"flush fails", [](MemFiles& f) { f.finishFails = true; }, "ファイルの書き込みに失敗しました。\n\"C:\\a.pvx\"\n元のファイルはそのままです。"},
        {"rename fails", [](MemFiles& f) { f.commitFails = true; }, "ファイルの書き込みに失敗しました。\n\"C:\\a.pvx\"\n元のファイルはそのままです。"},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\a.dat"] = body;
        fault.arm(files);
        EXPECT_EQ(c.Encode("C:\\a.dat", "C:\\a.pvx", kNoClash, 1, key).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, fault.message);
        EXPECT_EQ(answers.shown[0].caption, "");
        EXPECT_TRUE(files.At("C:\\a.dat") == body);
        EXPECT_EQ(files.files.size(), 1u);
    }
}

// The flush of a large file runs on a worker while the window answers; the
// system's reason for its failure is that thread's, and is still told.
TEST_F(CodecTest, AFlushFailingOnAWorkerIsToldWithItsReason) {
    struct OnAWorker : Progress {
        bool Advance(std::uint64_t, std::uint64_t) override { return true; }
        bool Await(const std::function<bool()>& step) override {
            bool ok = false;
            std::thread([&] { ok = step(); }).join();
            return ok;
        }
    } worker;
    fs.files["C:\\a.dat"] = Pattern(5000);
    fs.reason = "ディスクに十分な空き領域がありません。";
    fs.finishFails = true;
    codec.SetProgress(&worker);
    EXPECT_EQ(Encode("C:\\a.dat"), kFailed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "ファイルの書き込みに失敗しました。\n\"C:\\a.pvx\"\n元のファイルはそのままです。\n" + fs.reason);
    EXPECT_TRUE(fs.At("C:\\a.dat") == Pattern(5000));
    EXPECT_TRUE(fs.Temps().empty());
}

// A large output is written from a thread of its own: the disk filling up
// there is told with that thread's reason, and nothing is left, in both formats.
TEST_F(CodecTest, ADiskFillingUpUnderALargeFileIsToldWithTheWritersReason) {
    const std::string body = Pattern(static_cast<std::size_t>(Codec::kPipelineFrom) + 3 * Codec::kChunkSize);
    for (const int version : {kFormatVersion, kStrongVersion}) {
        SCOPED_TRACE(version);
        MemFiles files;
        ScriptedUi answers;
        Options o;
        Codec c(files, answers, o);
        c.SetStrongIterations(strong::kMinIterations);
        files.files["C:\\a.dat"] = body;
        files.diskFree = Codec::kPipelineFrom / 2;
        files.reason = "ディスクに十分な空き領域がありません。";
        PassKeys writing = PassKeys::ToWrite("pw", version);
        EXPECT_EQ(c.Encode("C:\\a.dat", "C:\\a.pvx", kNoClash, version, writing).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text,
                  "ファイルの書き込みに失敗しました。\n\"C:\\a.pvx\"\n元のファイルはそのままです。\n" + files.reason);
        EXPECT_NE(files.finishFailedOn, std::this_thread::get_id()) << "written from this thread";
        EXPECT_TRUE(files.At("C:\\a.dat") == body);
        EXPECT_EQ(files.files.size(), 1u);
    }
}

TEST_F(CodecTest, FailedOverwriteLeavesTheOldFileIntact) {
    opt.OnNameClash = kAskAtClash;
    fs.files["C:\\a.txt"] = Pattern(5000);
    fs.files["C:\\a.pvx"] = "previous container";
    fs.diskFree = 100;
    ui.overwrite.push_back({kOverwrite, ""});
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    EXPECT_EQ(fs.At("C:\\a.pvx"), "previous container");
    EXPECT_TRUE(fs.Has("C:\\a.txt"));
    EXPECT_TRUE(fs.Temps().empty());
}

TEST_F(CodecTest, SourceIsKeptWhenDeletionIsOff) {
    opt.DeleteSourceAfterEncrypt = false;
    fs.files["C:\\a.txt"] = "abc";
    EXPECT_EQ(Encode("C:\\a.txt"), kNoClash);
    EXPECT_TRUE(fs.Has("C:\\a.txt"));
    EXPECT_TRUE(fs.Has("C:\\a.pvx"));
}

// ---- Name clashes ----------------------------------------------------------

TEST_F(CodecTest, NumberedNamesWithoutAsking) {
    for (int overlap : {1, 2}) {
        SCOPED_TRACE(overlap);
        MemFiles files;
        ScriptedUi answers;
        Options o;
        o.OnNameClash = overlap;
        Codec c(files, answers, o);
        files.files["C:\\Data.old\\README"] = "r";
        files.files["C:\\Data.old\\README.pvx"] = "taken";
        files.folders.insert("C:\\Data.old\\README_2.pvx");
        EXPECT_EQ(c.Encode("C:\\Data.old\\README", "C:\\Data.old\\README.pvx", kSkipAll, 1, key).result, kSkipAll);  // carried back
        EXPECT_TRUE(files.Has("C:\\Data.old\\README_3.pvx"));
        EXPECT_EQ(files.At("C:\\Data.old\\README.pvx"), "taken");
        EXPECT_TRUE(answers.askedOverwrite.empty());
        EXPECT_TRUE(answers.shown.empty());
    }
}

TEST_F(CodecTest, OutOfRangeOverlapIsAnInternalErrorOnlyOnAClash) {
    opt.OnNameClash = 5;
    fs.files["C:\\a.txt"] = "a";
    EXPECT_EQ(Encode("C:\\a.txt"), kNoClash);  // no clash: never consulted
    fs.files["C:\\a.txt"] = "a";
    EXPECT_EQ(Encode("C:\\a.txt"), kFailed);
    ExpectOnly("CheckFileExist", "内部エラー");
    EXPECT_TRUE(fs.Has("C:\\a.txt"));
}

TEST_F(CodecTest, AskedAnswersAndTheCarriedState) {
    opt.OnNameClash = kAskAtClash;
    for (const char* n : {"a", "b", "c", "d"}) {
        fs.files[std::string("C:\\") + n + ".txt"] = n;
        fs.files[std::string("C:\\") + n + ".pvx"] = "old";
    }
    fs.files["C:\\e.txt"] = "e";

    // No clash: no question, the carried state comes back.
    EXPECT_EQ(Encode("C:\\e.txt", kNoClash), kNoClash);
    EXPECT_TRUE(ui.askedOverwrite.empty());

    // No: skipped, nothing written, the plain file stays despite DeleteSourceAfterEncrypt.
    ui.overwrite.push_back({kSkipped, ""});
    EXPECT_EQ(Encode("C:\\a.txt", kNoClash), kSkipped);
    EXPECT_EQ(fs.At("C:\\a.pvx"), "old");
    EXPECT_TRUE(fs.Has("C:\\a.txt"));

    // Yes: overwritten, carried state handed back.
    ui.overwrite.push_back({kOverwrite, ""});
    EXPECT_EQ(Encode("C:\\a.txt", kSkipped), kSkipped);
    EXPECT_NE(fs.At("C:\\a.pvx"), "old");
    EXPECT_FALSE(fs.Has("C:\\a.txt"));

    // All yes, then later clashes are overwritten without asking, and the result stays 3.
    ui.overwrite.push_back({kOverwriteAll, ""});
    EXPECT_EQ(Encode("C:\\b.txt", kNoClash), kOverwriteAll);
    EXPECT_EQ(Encode("C:\\c.txt", kOverwriteAll), kOverwriteAll);
    EXPECT_NE(fs.At("C:\\c.pvx"), "old");
    EXPECT_EQ(ui.askedOverwrite.size(), 3u);

    // All no carried in: skipped silently, source kept.
    EXPECT_EQ(Encode("C:\\d.txt", kSkipAll), kSkipAll);
    EXPECT_EQ(fs.At("C:\\d.pvx"), "old");
    EXPECT_TRUE(fs.Has("C:\\d.txt"));
    EXPECT_EQ(ui.askedOverwrite.size(), 3u);

    // Rename: written under the new name.
    ui.overwrite.push_back({kRenamed, "C:\\renamed.pvx"});
    EXPECT_EQ(Encode("C:\\d.txt", kNoClash), kNoClash);
    EXPECT_TRUE(fs.Has("C:\\renamed.pvx"));
    EXPECT_EQ(fs.At("C:\\d.pvx"), "old");

    // Rename onto another existing file the user agreed to overwrite: replaced.
    fs.files["C:\\d.txt"] = "d";
    fs.files["C:\\other.pvx"] = "other";
    ui.overwrite.push_back({kRenamed, "C:\\other.pvx"});
    EXPECT_EQ(Encode("C:\\d.txt", kNoClash), kNoClash);
    EXPECT_NE(fs.At("C:\\other.pvx"), "other");

    // Cancel: result 5, no message, nothing written.
    fs.files["C:\\d.txt"] = "d";
    ui.overwrite.push_back({kFailed, ""});
    EXPECT_EQ(Encode("C:\\d.txt", kNoClash), kFailed);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(fs.Has("C:\\d.txt"));
}

// ---- Melt ------------------------------------------------------------------

TEST_F(CodecTest, NameQuestionShowsTheNumberedPath) {
    fs.files["C:\\x.pvx"] = Craft("report.doc", "content", key);
    fs.files["C:\\report.doc"] = "already here";
    ui.answers.push_back(MsgAnswer::kYes);
    std::string plain;
    EXPECT_EQ(Melt("C:\\x.pvx", plain), kNoClash);
    EXPECT_EQ(plain, "C:\\report_2.doc");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "解凍ファイル名は \"C:\\report_2.doc\" で合っていますか？");
    EXPECT_EQ(ui.shown[0].style, 36u);
    EXPECT_EQ(fs.At("C:\\report_2.doc"), "content");
}

TEST_F(CodecTest, RejectedNameMeansWrongPasswordAndWritesNothing) {
    fs.files["C:\\x.pvx"] = Craft("report.doc", "content", key);
    ui.answers.push_back(MsgAnswer::kNo);
    std::string plain;
    EXPECT_EQ(Melt("C:\\x.pvx", plain), kFailed);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "パスワードが間違っています。正しいパスワードを入力して下さい。");
    EXPECT_EQ(ui.shown[1].caption, "");
    EXPECT_EQ(fs.files.size(), 1u);
}

// A compatible melt whose name is unlike its container's (a wrong password,
// or a renamed container) never costs the container on Enter alone.
TEST_F(CodecTest, ANameUnlikeTheContainersIsAskedAboutAndKeepsTheContainer) {
    codec.SetAskUnlikeNames(true);
    opt.ConfirmMeltedName = false;  // asked whatever this says
    // What a nearly right password melts: another name, a type with an application.
    fs.files["C:\\d\\見積書_2024年度.pvx"] = Craft("\x8c\xa9\x90\xcf\x8f\x9f_4024.docx", "garbled", key);
    ui.answers = {MsgAnswer::kYes, MsgAnswer::kNo};  // the name accepted, then the deletion refused
    std::string plain;
    EXPECT_EQ(Melt("C:\\d\\見積書_2024年度.pvx", plain), kNoClash);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text, "解凍ファイル名は \"C:\\d\\見積勝_4024.docx\" で合っていますか？\n"
                                "暗号化ファイルの名前（見積書_2024年度）と違います。パスワードが間違っている可能性があります。");
    EXPECT_EQ(ui.shown[0].style, 36u | kDefaultNo);
    EXPECT_EQ(ui.shown[1].text, "暗号化ファイル \"C:\\d\\見積書_2024年度.pvx\" を削除してよろしいですか？");
    EXPECT_EQ(ui.shown[1].style, 35u | kDefaultNo);
    EXPECT_TRUE(fs.Has("C:\\d\\見積書_2024年度.pvx"));

    // Stems that agree, in any case and under the program's own numbering: nothing asked.
    for (const char* container : {"C:\\e\\REPORT.pvx", "C:\\e\\report_2.pvx", "C:\\e\\report_2_3.pvx"}) {
        SCOPED_TRACE(container);
        MemFiles files;
        ScriptedUi quiet;
        Codec c(files, quiet, opt);
        c.SetAskUnlikeNames(true);
        const std::string stored = std::string(container).find("_2_3") != std::string::npos ? "report_2.doc" : "report.doc";
        files.files[container] = Craft(stored, "content", key);
        int version = 0;
        EXPECT_EQ(c.Melt(container, plain, kNoClash, version, key).result, kNoClash);
        EXPECT_TRUE(quiet.shown.empty());
        EXPECT_FALSE(files.Has(container));
    }
    // "_1" and "_02" are no numbering of the program's.
    EXPECT_FALSE(StemsAgree("report.doc", "C:\\report_1.pvx"));
    EXPECT_FALSE(StemsAgree("report.doc", "C:\\report_02.pvx"));
}

TEST_F(CodecTest, WrongPasswordGivesAnotherNameOrIsRefused) {
    opt.ConfirmMeltedName = false;
    opt.DeleteContainerAfterMelt = false;
    int written = 0, refused = 0;
    for (const char* pw : {"pX", "qw", "password", "p", "pw ", "Pw"}) {
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\x.pvx"] = Craft("report.doc", "content", key);
        std::string plain;
        int version = 0;
        const CodecResult r = c.Melt("C:\\x.pvx", plain, kNoClash, version, MakeKeyString(pw)).result;
        EXPECT_TRUE(files.Has("C:\\x.pvx"));
        EXPECT_FALSE(files.Has("C:\\report.doc"));
        if (r == kFailed) {
            ++refused;
            ASSERT_EQ(answers.shown.size(), 1u);
            EXPECT_EQ(answers.shown[0].caption, "プリベックスエラー報告");
            EXPECT_EQ(files.files.size(), 1u);
        } else {
            ++written;
            EXPECT_NE(files.At(plain), "content");
        }
    }
    EXPECT_EQ(written + refused, 6);
}

TEST_F(CodecTest, UnknownVersionIsRefusedWithoutLeavingAFile) {
    opt.ConfirmMeltedName = false;
    // Version 2 is the strong format, refused differently (strong_test.cpp).
    fs.files["C:\\x.pvx"] = Craft("a.txt", "body", key, 3);
    std::string plain;
    int version = 0;
    EXPECT_EQ(codec.Melt("C:\\x.pvx", plain, kNoClash, version, key).result, kFailed);
    EXPECT_EQ(version, 3);
    ExpectOnly("未知のファイル形式です。\nプリベックスが暗号化したファイルか、パスワードが合っているか確認して下さい。",
               "プリベックスエラー報告");
    EXPECT_EQ(fs.files.size(), 1u);
}

TEST_F(CodecTest, TruncatedContainersAreRefusedAtEveryLength) {
    const std::string whole = Craft("name.txt", "", key);  // 2 + 8 bytes
    for (std::size_t len = 0; len < whole.size(); ++len) {
        SCOPED_TRACE(len);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\t.pvx"] = whole.substr(0, len);
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\t.pvx", plain, kNoClash, version, key).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].caption, "プリベックスエラー報告");
        EXPECT_EQ(files.files.size(), 1u);
        EXPECT_EQ(files.At("C:\\t.pvx"), whole.substr(0, len));
    }
    // Header and name alone: an empty file.
    opt.ConfirmMeltedName = false;
    fs.files["C:\\t.pvx"] = whole;
    std::string plain;
    EXPECT_EQ(Melt("C:\\t.pvx", plain), kNoClash);
    EXPECT_EQ(fs.At("C:\\name.txt"), "");

    // A container of 4 GiB or more is outside the format.
    fs.files["C:\\huge.pvx"] = whole;
    fs.fakeSize["C:\\huge.pvx"] = 1ull << 32;
    ui.shown.clear();
    EXPECT_EQ(Melt("C:\\huge.pvx", plain), kFailed);
    ExpectOnly(text::UnknownFormat(), "プリベックスエラー報告");
}

TEST_F(CodecTest, HostileStoredNamesAreRefused) {
    opt.ConfirmMeltedName = false;
    const std::vector<std::string> hostile = {
        "", ".", "..", "a\x01" "b", "tab\tname", "a<b", "a>b", "a\"b", "a/b", "a|b", "a?b", "a*b", "name.", "name ",
        "CON", "con.txt", "NUL", "Aux.doc", "prn", "COM1", "com9.x", "LPT1", "lpt9.txt", "dir\\", "C:",
        "\x81\x20", "\xFF\xFF", "x\\\x95",  // invalid code page 932
    };
    for (const auto& name : hostile) {
        SCOPED_TRACE(name);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\box\\h.pvx"] = Craft(name, "payload", key);
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\box\\h.pvx", plain, kNoClash, version, key).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, "解凍ファイルの作成に失敗しました。\nパスワードが合っているか確認して下さい。");
        EXPECT_EQ(answers.shown[0].caption, "プリベックスエラー報告");
        EXPECT_EQ(files.files.size(), 1u);
    }
    // Folders in a stored name are dropped: the file lands beside the container.
    for (const std::string name : {"..\\..\\evil.txt", "C:\\Windows\\evil.txt", "D:evil.txt"}) {
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\box\\h.pvx"] = Craft(name, "payload", key);
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\box\\h.pvx", plain, kNoClash, version, key).result, kNoClash);
        EXPECT_EQ(plain, "C:\\box\\evil.txt");
        EXPECT_EQ(files.At("C:\\box\\evil.txt"), "payload");
    }
}

TEST_F(CodecTest, ContainerDeletionRules) {
    opt.ConfirmMeltedName = false;
    auto melt = [&](std::function<void(ScriptedUi&)> script, CodecResult expect) {
        MemFiles files;
        ScriptedUi answers;
        answers.association = [](const std::string&) { return false; };
        script(answers);
        Codec c(files, answers, opt);
        files.files["C:\\x.pvx"] = Craft("note.xyz", "text", key);
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\x.pvx", plain, kNoClash, version, key).result, expect);
        EXPECT_EQ(files.At("C:\\note.xyz"), "text");
        return std::make_pair(files.Has("C:\\x.pvx"), answers.shown);
    };
    // No association: asked with both paths; Yes deletes, No keeps, Cancel stops the batch.
    auto [kept, shown] = melt([](ScriptedUi& u) { u.answers.push_back(MsgAnswer::kYes); }, kNoClash);
    EXPECT_FALSE(kept);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              "解凍したファイル \"C:\\note.xyz\" は関連づけられていません。\n暗号化ファイル \"C:\\x.pvx\" を削除してよろしいですか？");
    EXPECT_EQ(shown[0].style, 35u | 256u) << "No is the default: Enter keeps the container";
    EXPECT_TRUE(melt([](ScriptedUi& u) { u.answers.push_back(MsgAnswer::kNo); }, kNoClash).first);
    EXPECT_TRUE(melt([](ScriptedUi& u) { u.answers.push_back(MsgAnswer::kCancel); }, kFailed).first);
    // An associated type loses its container silently.
    EXPECT_FALSE(melt([](ScriptedUi& u) { u.association = [](const std::string&) { return true; }; }, kNoClash).first);
    // Neither question on: deleted silently only where an application opens the type.
    opt.AskBeforeDeletingUnassociated = false;
    EXPECT_TRUE(melt([](ScriptedUi&) {}, kNoClash).first);
    EXPECT_FALSE(melt([](ScriptedUi& u) { u.association = [](const std::string&) { return true; }; }, kNoClash).first);
    // A name the user confirmed, or no deleting: nothing is looked up.
    auto noLookup = [](ScriptedUi& u) { u.association = [](const std::string&) -> bool { throw std::logic_error("looked up"); }; };
    opt.ConfirmMeltedName = true;
    EXPECT_FALSE(melt([&](ScriptedUi& u) { noLookup(u); u.answers.push_back(MsgAnswer::kYes); }, kNoClash).first);
    opt.ConfirmMeltedName = false;
    opt.AskBeforeDeletingUnassociated = true;
    opt.DeleteContainerAfterMelt = false;
    EXPECT_TRUE(melt(noLookup, kNoClash).first);
}

// The deletion rule on its own, over every combination of the three options.
TEST(ContainerFate, DecidedByTheOptionsAndTheAssociationOnlyWhereItCounts) {
    using F = ContainerFate;
    struct Case {
        bool delPvF, conDelUnrela, conMeltFName;
        F associated, unassociated;
    };
    const Case cases[] = {
        {false, true, true, F::kKeep, F::kKeep},      {false, false, false, F::kKeep, F::kKeep},
        {true, true, true, F::kDelete, F::kAsk},      {true, true, false, F::kDelete, F::kAsk},
        {true, false, true, F::kDelete, F::kDelete},  {true, false, false, F::kDelete, F::kKeep},
    };
    for (const Case& c : cases) {
        Options o;
        o.DeleteContainerAfterMelt = c.delPvF;
        o.AskBeforeDeletingUnassociated = c.conDelUnrela;
        o.ConfirmMeltedName = c.conMeltFName;
        int lookups = 0;
        EXPECT_EQ(FateOfContainer(o, [&] { return ++lookups, true; }), c.associated);
        EXPECT_EQ(FateOfContainer(o, [&] { return ++lookups, false; }), c.unassociated);
        // Looked up only where the association decides.
        EXPECT_EQ(lookups > 0, c.associated != c.unassociated) << c.delPvF << c.conDelUnrela << c.conMeltFName;
    }
}

TEST_F(CodecTest, MeltCarriesTheStateAndClashAnswers) {
    opt.ConfirmMeltedName = false;
    opt.OnNameClash = kAskAtClash;
    fs.files["C:\\1.pvx"] = Craft("one.txt", "1", key);
    std::string plain;
    EXPECT_EQ(Melt("C:\\1.pvx", plain, kSkipped), kSkipped);  // written, earlier skip handed back
    EXPECT_EQ(fs.At("C:\\one.txt"), "1");
    fs.files["C:\\2.pvx"] = Craft("one.txt", "2", key);
    EXPECT_EQ(Melt("C:\\2.pvx", plain, kOverwriteAll), kOverwriteAll);
    EXPECT_EQ(fs.At("C:\\one.txt"), "2");
    fs.files["C:\\3.pvx"] = Craft("one.txt", "3", key);
    EXPECT_EQ(Melt("C:\\3.pvx", plain, kSkipAll), kSkipAll);
    EXPECT_EQ(fs.At("C:\\one.txt"), "2");
    EXPECT_TRUE(fs.Has("C:\\3.pvx"));
    EXPECT_TRUE(ui.askedOverwrite.empty());
}

TEST_F(CodecTest, MeltFaultsKeepTheContainerAndAnyOldFile) {
    opt.ConfirmMeltedName = false;
    opt.OnNameClash = kAskAtClash;
    const std::string body = Pattern(2 * Codec::kChunkSize + 77);
    const std::string container = Craft("doc.bin", body, key);
    for (int fault = 0; fault < 4; ++fault) {
        SCOPED_TRACE(fault);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        files.files["C:\\x.pvx"] = container;
        files.files["C:\\doc.bin"] = "older file";
        answers.overwrite.push_back({kOverwrite, ""});
        if (fault == 0) files.diskFree = Codec::kChunkSize;
        if (fault == 1) files.readFailAt["C:\\x.pvx"] = Codec::kChunkSize;
        if (fault == 2) files.finishFails = true;
        if (fault == 3) files.commitFails = true;
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\x.pvx", plain, kNoClash, version, key).result, kFailed);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, fault == 1 ? "ファイルの読み込みに失敗しました。\n\"C:\\x.pvx\"\n暗号化ファイルはそのままです。"
                                                    : "ファイルの書き込みに失敗しました。\n\"C:\\doc.bin\"\n暗号化ファイルはそのままです。");
        EXPECT_TRUE(files.At("C:\\x.pvx") == container);
        EXPECT_EQ(files.At("C:\\doc.bin"), "older file");
        EXPECT_EQ(files.files.size(), 2u);
    }
}

TEST_F(CodecTest, MeltNeverOverwritesTheContainerItself) {
    opt.ConfirmMeltedName = false;
    opt.OnNameClash = kAskAtClash;
    fs.files["C:\\a.pvx"] = Craft("a.pvx", "inner", key);
    ui.overwrite.push_back({kOverwrite, ""});
    std::string plain;
    EXPECT_EQ(Melt("C:\\a.pvx", plain), kFailed);
    ExpectOnly(std::string(text::kCreateFailed), "プリベックスエラー報告");
    EXPECT_EQ(fs.At("C:\\a.pvx"), Craft("a.pvx", "inner", key));
    EXPECT_EQ(fs.files.size(), 1u);
}

TEST_F(CodecTest, ContainerThatCannotBeOpened) {
    std::string plain;
    EXPECT_EQ(Melt("C:\\none.pvx", plain), kFailed);
    ExpectOnly("C:\\none.pvx", "オープン失敗");
}

}  // namespace
}  // namespace plivex
