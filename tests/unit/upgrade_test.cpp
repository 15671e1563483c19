// Old containers made strong in one step, over an in-memory file system that
// sees every write: no plain byte reaches any file, a wrong password converts
// nothing, and whatever stops a conversion leaves the container readable.
#include <gtest/gtest.h>

#include <string>

#include "base/ascii.h"
#include "base/paths.h"
#include "codec/cipher.h"
#include "codec/codec.h"
#include "codec/strong.h"
#include "codec/texts.h"
#include "mem_files.h"
#include "scripted_ui.h"
#include "sys/cp932.h"

namespace plivex {
namespace {

using test::MemFiles;
using test::ScriptedUi;
using enum CodecResult;

std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
}

class UpgradeTest : public ::testing::Test {
protected:
    MemFiles fs;
    ScriptedUi ui;
    Options opt;
    Codec codec{fs, ui, opt};
    std::string written;  // every byte written to any file, in order

    UpgradeTest() {
        codec.SetStrongIterations(1000);  // the format's floor: the stretch is not what is tested
        fs.onWrite = [this](const std::string&, std::string_view bytes) { written += bytes; };
    }
    // A compatible container of plain, written as the program writes one.
    std::string Compatible(const std::string& plainPath, const std::string& body, const std::string& password) {
        MemFiles source;
        Codec c(source, ui, opt);
        source.files[plainPath] = body;
        const std::string container = ChangeExt(plainPath, kContainerExt);
        EXPECT_EQ(c.Encode(plainPath, container, kNoClash, kFormatVersion, MakeKeyString(password)).result, kNoClash);
        return source.At(container);
    }
    // Melts a strong container back with the strong reader, into a file system of its own.
    std::pair<std::string, std::string> MeltStrong(const std::string& bytes, const std::string& password) {
        MemFiles files;
        ScriptedUi answers;
        Options o;
        o.DeleteContainerAfterMelt = false;
        Codec c(files, answers, o);
        files.files["C:\\x\\c.pvx"] = bytes;
        PassKeys keys = PassKeys::FromPassword(password);
        std::string plain;
        int version = 0;
        EXPECT_EQ(c.Melt("C:\\x\\c.pvx", plain, kNoClash, version, keys).result, kNoClash);
        EXPECT_EQ(version, kStrongVersion);
        return {FileNamePart(plain), files.Has(plain) ? files.At(plain) : std::string()};
    }
};

TEST_F(UpgradeTest, KnownAnswerContainersBecomeStrongAndMeltBackToTheSameBytesAndName) {
    for (const auto& v : test::LoadKatVectors()) {
        SCOPED_TRACE(v.id);
        fs.files.clear();
        written.clear();
        ui.shown.clear();
        const std::optional<std::string> password = Cp932ToUtf8(v.password);
        ASSERT_TRUE(password);
        // Under a name of its own with the stem of the name inside, in another case: no question.
        const std::string container = "D:\\old\\" + AsciiUpper(ChangeExt(v.name, kContainerExt));
        fs.files[container] = v.container;
        PassKeys keys = PassKeys::FromPassword(*password);
        ASSERT_EQ(codec.Upgrade(container, keys), Upgraded::kConverted);
        ASSERT_EQ(fs.files.size(), 1u);  // the container alone: no plain file, no temporary file
        const std::string now = fs.At(container);
        EXPECT_EQ(now[0], static_cast<char>(kStrongVersion));
        EXPECT_TRUE(ui.shown.empty());
        EXPECT_EQ(MeltStrong(now, *password), std::make_pair(v.name, v.body));
        // Nothing written held the plain file (a short one could match by chance).
        if (v.body.size() >= 16) {
            EXPECT_EQ(written.find(v.body.substr(0, 16)), std::string::npos);
        }
        // Strong already: left as it is, and counted so.
        PassKeys again = PassKeys::FromPassword(*password);
        EXPECT_EQ(codec.Upgrade(container, again), Upgraded::kAlreadyStrong);
        EXPECT_EQ(fs.At(container), now);
    }
}

TEST_F(UpgradeTest, OnePassStretchesOnceAndAWrongPasswordConvertsNothingUnlessTheUserSaysSo) {
    fs.files["C:\\d\\report.pvx"] = Compatible("C:\\d\\report.txt", Pattern(5000), "secret");
    fs.files["C:\\d\\memo.pvx"] = Compatible("C:\\d\\memo.txt", Pattern(70), "secret");
    const std::string report = fs.At("C:\\d\\report.pvx");
    // With this password of the same length the name inside reads "jxoKkm7mam".
    PassKeys wrong = PassKeys::FromPassword("bybnki");
    ui.answers = {MsgAnswer::kNo};
    EXPECT_EQ(codec.Upgrade("C:\\d\\report.pvx", wrong), Upgraded::kLeft);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, text::ConfirmUpgradeUnlike("C:\\d\\report.pvx", "jxoKkm7mam"));
    EXPECT_EQ(ui.shown[0].caption, "");
    EXPECT_EQ(ui.shown[0].style, kStyleYesNo | kDefaultNo);
    EXPECT_EQ(fs.At("C:\\d\\report.pvx"), report);
    EXPECT_EQ(fs.files.size(), 2u);

    PassKeys keys = PassKeys::FromPassword("secret");
    EXPECT_EQ(codec.Upgrade("C:\\d\\report.pvx", keys), Upgraded::kConverted);
    EXPECT_EQ(codec.Upgrade("C:\\d\\memo.pvx", keys), Upgraded::kConverted);
    // Version, magic, iterations and the pass salt: one salt, one stretch for the pass.
    EXPECT_EQ(fs.At("C:\\d\\report.pvx").substr(0, 28), fs.At("C:\\d\\memo.pvx").substr(0, 28));
    EXPECT_EQ(MeltStrong(fs.At("C:\\d\\report.pvx"), "secret"), std::make_pair(std::string("report.txt"), Pattern(5000)));
}

TEST_F(UpgradeTest, WhatCannotBeConvertedIsLeftAsItWasAndSaysWhy) {
    const std::string good = Compatible("C:\\d\\a.txt", Pattern(300), "pw");
    fs.files["C:\\d\\held.pvx"] = good;
    fs.files["C:\\d\\ro.pvx"] = good;
    fs.files["C:\\d\\notes.pvx"] = "hello, not a container";
    fs.locked.insert("C:\\d\\held.pvx");
    fs.readOnly.insert("C:\\d\\ro.pvx");
    fs.reason = "別のプロセスが使用中です。";
    PassKeys keys = PassKeys::FromPassword("pw");
    ui.answers = {MsgAnswer::kYes, MsgAnswer::kYes};  // held.pvx and ro.pvx hold "a.txt": asked, and Yes
    EXPECT_EQ(codec.Upgrade("C:\\d\\held.pvx", keys), Upgraded::kLeft);
    EXPECT_EQ(codec.Upgrade("C:\\d\\ro.pvx", keys), Upgraded::kLeft);
    EXPECT_EQ(codec.Upgrade("C:\\d\\notes.pvx", keys), Upgraded::kLeft);
    EXPECT_EQ(codec.Upgrade("C:\\d\\gone.pvx", keys), Upgraded::kLeft);
    EXPECT_EQ(fs.At("C:\\d\\held.pvx"), good);
    EXPECT_EQ(fs.At("C:\\d\\ro.pvx"), good);
    EXPECT_EQ(fs.At("C:\\d\\notes.pvx"), "hello, not a container");
    EXPECT_TRUE(fs.Temps().empty());
    EXPECT_TRUE(written.empty());
    std::vector<std::string> texts;
    for (const auto& s : ui.shown) texts.push_back(s.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "C:\\d\\held.pvx\n別のプロセスが使用中です。",
                         text::ConfirmUpgradeUnlike("C:\\d\\ro.pvx", "a.txt"),
                         "C:\\d\\ro.pvx\n" + std::string(text::kReadOnly),
                         text::UnknownFormat(),
                         "C:\\d\\gone.pvx\n別のプロセスが使用中です。",
                     }));
}

TEST_F(UpgradeTest, CancelOrAFailedWriteLeavesTheContainerReadable) {
    const std::string body = Pattern(3 * Codec::kChunkSize + 11);
    fs.files["C:\\d\\big.pvx"] = Compatible("C:\\d\\big.txt", body, "pw");
    const std::string before = fs.At("C:\\d\\big.pvx");
    struct StopAfter : Progress {
        int steps = 0;
        bool Advance(std::uint64_t, std::uint64_t) override { return ++steps < 2; }
    } stop;
    codec.SetProgress(&stop);
    PassKeys keys = PassKeys::FromPassword("pw");
    EXPECT_EQ(codec.Upgrade("C:\\d\\big.pvx", keys), Upgraded::kCancelled);
    EXPECT_EQ(stop.steps, 2);
    EXPECT_EQ(fs.At("C:\\d\\big.pvx"), before);
    EXPECT_TRUE(fs.Temps().empty());
    EXPECT_TRUE(ui.shown.empty());

    codec.SetProgress(nullptr);
    fs.commitFails = true;
    EXPECT_EQ(codec.Upgrade("C:\\d\\big.pvx", keys), Upgraded::kLeft);
    EXPECT_EQ(fs.At("C:\\d\\big.pvx"), before);
    EXPECT_TRUE(fs.Temps().empty());
    ASSERT_EQ(ui.shown.size(), 1u);
    fs.commitFails = false;
    EXPECT_EQ(codec.Upgrade("C:\\d\\big.pvx", keys), Upgraded::kConverted);
    EXPECT_EQ(MeltStrong(fs.At("C:\\d\\big.pvx"), "pw"), std::make_pair(std::string("big.txt"), body));
    EXPECT_EQ(written.find(body.substr(0, 64)), std::string::npos);
}

}  // namespace
}  // namespace plivex
