// The strong container format through the codec, over an in-memory file
// system: the known answers byte for byte, melting each, and every kind of
// damage refused with nothing written.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "codec/strong.h"
#include "craft.h"
#include "mem_files.h"
#include "scripted_ui.h"

namespace plivex {
namespace {

using test::MemFiles;
using test::ScriptedUi;
using enum CodecResult;
using test::StrongKatVector;

// Hands out the given bytes as the system's random numbers, in order.
std::function<bool(void*, std::size_t)> FixedRandom(std::string bytes) {
    auto at = std::make_shared<std::size_t>(0);
    return [bytes = std::move(bytes), at](void* out, std::size_t size) {
        if (*at + size > bytes.size()) return false;
        std::memcpy(out, bytes.data() + *at, size);
        *at += size;
        return true;
    };
}

class StrongTest : public ::testing::Test {
protected:
    MemFiles fs;
    ScriptedUi ui;
    Options opt;
    Codec codec{fs, ui, opt};

    StrongKatVector Vector(const std::string& id) {
        for (auto& v : test::LoadStrongKatVectors())
            if (v.id == id) return v;
        throw std::runtime_error("no vector " + id);
    }
    CodecResult MeltWith(const std::string& container, const std::string& password, CodecResult carried,
                         std::string& plain) {
        PassKeys keys = PassKeys::FromPassword(password);
        int version = 0;
        last = codec.Melt(container, plain, carried, version, keys);
        return last.result;
    }
    CodecOutcome last;  // of the codec's last Encode or Melt
    // The container is refused: nothing written, the container kept, the carried state handed back.
    void ExpectRefused(const std::string& bytes, const std::string& text, const std::string& caption) {
        fs.files.clear();
        ui.shown.clear();
        fs.files["C:\\d\\x.pvx"] = bytes;
        std::string plain;
        EXPECT_EQ(MeltWith("C:\\d\\x.pvx", "pw", kOverwriteAll, plain), kOverwriteAll);
        EXPECT_FALSE(last.written);
        ASSERT_EQ(fs.files.size(), 1u);  // no plain file, no temporary file
        EXPECT_TRUE(fs.At("C:\\d\\x.pvx") == bytes);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, text);
        EXPECT_EQ(ui.shown[0].caption, caption);
        EXPECT_EQ(ui.shown[0].style, 48u);
    }
    void ExpectDamaged(const std::string& bytes) {
        ExpectRefused(bytes, text::WrongPasswordOrDamaged("C:\\d\\x.pvx"), "");
    }
    void ExpectUnknown(const std::string& bytes) { ExpectRefused(bytes, text::UnknownFormat(), "プリベックスエラー報告"); }
};

TEST_F(StrongTest, KnownAnswerContainersEncodeAndMeltByteExact) {
    const auto vectors = test::LoadStrongKatVectors();
    ASSERT_EQ(vectors.size(), 8u);
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.id);
        MemFiles files;
        ScriptedUi answers;
        Codec c(files, answers, opt);
        c.SetRandom(FixedRandom(v.passSalt + v.fileSalt));
        c.SetStrongIterations(v.iterations);
        const std::string src = "C:\\in\\" + v.name;
        files.files[src] = v.body;
        PassKeys writing = PassKeys::FromPassword(v.password);
        ASSERT_EQ(c.Encode(src, ChangeExt(src, "pvx"), kNoClash, kStrongVersion, writing).result, kNoClash);
        EXPECT_TRUE(files.At(ChangeExt(src, "pvx")) == v.container);
        EXPECT_FALSE(files.Has(src));

        // Renamed and moved, it melts under its stored name without a question, and goes.
        files.files["D:\\moved\\x.pvx"] = v.container;
        answers.association = [](const std::string&) { return false; };
        PassKeys reading = PassKeys::FromPassword(v.password);
        ContainerKey used;
        std::string plain;
        int version = 0;
        const CodecOutcome outcome = c.Melt("D:\\moved\\x.pvx", plain, kNoClash, version, reading, &used);
        ASSERT_EQ(outcome.result, kNoClash);
        EXPECT_EQ(version, 2);
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(plain, "D:\\moved\\" + v.name);
        EXPECT_TRUE(files.At(plain) == v.body);
        EXPECT_FALSE(files.Has("D:\\moved\\x.pvx"));
        EXPECT_TRUE(files.Temps().empty());
        EXPECT_TRUE(answers.shown.empty());
        EXPECT_EQ(used.version, 2);
        EXPECT_EQ(used.iterations, v.iterations);
        EXPECT_EQ(std::string(used.passSalt.begin(), used.passSalt.end()), v.passSalt);
    }
}

TEST_F(StrongTest, EveryDamageIsRefusedWithNothingWritten) {
    const std::string good = Vector("twochunks").container;  // chunks of 65552 and 4490 bytes
    const std::size_t h = strong::kHeaderSize, c0 = h + strong::kCipherChunk;
    ASSERT_EQ(good.size(), c0 + 4490);

    auto changed = [&](std::size_t at) {
        std::string s = good;
        s[at] = static_cast<char>(s[at] ^ 0x01);
        return s;
    };
    for (std::size_t at : {2, 5, 7}) ExpectUnknown(changed(at));        // the magic and the cipher byte
    ExpectUnknown(changed(1));                                           // the byte after the version
    for (std::size_t at : {8, 12, 27, 28, 43}) ExpectDamaged(changed(at));  // iterations, pass salt, file salt
    for (std::size_t at : {h, h + 1000, c0 - 1, c0, good.size() - 1}) ExpectDamaged(changed(at));

    // Iterations outside what is accepted.
    for (std::uint32_t n : {999u, 5000001u, 0u}) {
        std::string s = good;
        for (int i = 0; i < 4; ++i) s[8 + i] = static_cast<char>(n >> (8 * i));
        ExpectUnknown(s);
    }
    // Cut at every chunk boundary and a byte either side; at any length of 63 or more it is damage.
    for (std::size_t length : {c0 - 1, c0, c0 + 1, good.size() - 1, h + strong::kTagSize + 3})
        ExpectDamaged(good.substr(0, length));
    // Shorter than 63 bytes (the header's own end among them): not a container of ours.
    for (std::size_t length : {std::size_t{2}, h - 1, h, h + 1, h + strong::kTagSize + 2}) ExpectUnknown(good.substr(0, length));
    // Its first byte made 1, it is a container of the compatible format to the
    // program: an empty stored name there, refused as a hostile name is, and the batch stops.
    fs.files.clear();
    ui.shown.clear();
    fs.files["C:\\d\\x.pvx"] = "\x01" + good.substr(1);
    std::string plain;
    EXPECT_EQ(MeltWith("C:\\d\\x.pvx", "pw", kNoClash, plain), kFailed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, text::kCreateFailed);
    EXPECT_EQ(fs.files.size(), 1u);
    // Bytes or a whole chunk appended.
    ExpectDamaged(good + "x");
    ExpectDamaged(good + good.substr(h, strong::kCipherChunk));
}

TEST_F(StrongTest, ForgedLastChunkFlagIsRefused) {
    // Chunks sealed with the right key but the flag on the wrong chunk.
    const auto v = Vector("twochunks");
    strong::Header header;
    header.iterations = v.iterations;
    std::memcpy(header.passSalt.data(), v.passSalt.data(), 16);
    std::memcpy(header.fileSalt.data(), v.fileSalt.data(), 16);
    const std::optional<Secret> master = strong::StretchPassword("pw", header.passSalt, header.iterations);
    ASSERT_TRUE(master);
    const std::optional<Secret> key = strong::FileKey(*master, header.fileSalt);
    ASSERT_TRUE(key);
    strong::Chunks chunks(*key, header);
    const std::string stream = strong::StreamPrefix("data.bin") + v.body;
    const auto head = strong::HeaderBytes(header);
    auto seal = [&](std::uint32_t index, bool last, std::size_t from, std::size_t size) {
        std::string out(size + strong::kTagSize, '\0');
        EXPECT_TRUE(chunks.Seal(index, last, reinterpret_cast<const unsigned char*>(stream.data()) + from, size,
                                reinterpret_cast<unsigned char*>(out.data())));
        return out;
    };
    const std::string start(head.begin(), head.end());
    // Written as this test seals them, with the flags right, they are the known answer.
    ASSERT_TRUE(start + seal(0, false, 0, 65536) + seal(1, true, 65536, stream.size() - 65536) == v.container);
    ExpectDamaged(start + seal(0, false, 0, 65536) + seal(1, false, 65536, stream.size() - 65536));
    ExpectDamaged(start + seal(0, true, 0, 65536) + seal(1, true, 65536, stream.size() - 65536));
    ExpectDamaged(start + seal(0, false, 0, 65536));
}

TEST_F(StrongTest, WrongPasswordSkipsThatFileAndTheOthersMelt) {
    const auto v = Vector("report");
    for (const char* name : {"C:\\d\\a.pvx", "C:\\d\\b.pvx"}) fs.files[name] = v.container;
    // Another pass, another password.
    fs.files["C:\\e\\other.bin"] = "other";
    codec.SetStrongIterations(1000);
    PassKeys other = PassKeys::FromPassword("別の");
    last = codec.Encode("C:\\e\\other.bin", "C:\\d\\c.pvx", kNoClash, kStrongVersion, other);
    ASSERT_EQ(last.result, kNoClash);

    opt.OnNameClash = kNumberAtClash;
    PassKeys keys = PassKeys::FromPassword(v.password);
    CodecResult carried = kNoClash;
    std::vector<std::string> written;
    for (const char* name : {"C:\\d\\a.pvx", "C:\\d\\c.pvx", "C:\\d\\b.pvx"}) {
        std::string plain;
        int version = 0;
        const CodecOutcome outcome = codec.Melt(name, plain, carried, version, keys);
        carried = outcome.result;
        if (outcome.written) written.push_back(plain);
    }
    EXPECT_EQ(carried, kNoClash);
    EXPECT_EQ(written, (std::vector<std::string>{"C:\\d\\報告書.txt", "C:\\d\\報告書_2.txt"}));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "パスワードが違うか、ファイルが壊れています。\nC:\\d\\c.pvx");
    EXPECT_TRUE(fs.Has("C:\\d\\c.pvx"));
    EXPECT_FALSE(fs.Has("C:\\d\\a.pvx"));
}

TEST_F(StrongTest, OneStretchPerPassSaltAndAnyPassword) {
    // Files of one pass share the pass salt; each has its own file salt.
    codec.SetStrongIterations(1000);
    fs.files["C:\\a.txt"] = "alpha";
    fs.files["C:\\b.txt"] = "beta";
    int stretches = 0;
    codec.SetProgress(nullptr);
    PassKeys keys = PassKeys::FromPassword("😀 no code page 932");
    last = codec.Encode("C:\\a.txt", "C:\\a.pvx", kNoClash, kStrongVersion, keys);
    ASSERT_EQ(last.result, kNoClash);
    last = codec.Encode("C:\\b.txt", "C:\\b.pvx", kNoClash, kStrongVersion, keys);
    ASSERT_EQ(last.result, kNoClash);
    const std::string a = fs.At("C:\\a.pvx"), b = fs.At("C:\\b.pvx");
    EXPECT_EQ(a.substr(0, 28), b.substr(0, 28));  // version, magic, iterations, pass salt
    EXPECT_NE(a.substr(28, 16), b.substr(28, 16));

    PassKeys reading = PassKeys::FromPassword("😀 no code page 932");
    const LongStep counted = [&](const std::function<bool()>& step) {
        ++stretches;
        return step();
    };
    const ContainerKey* first = reading.Master(strong::ParseHeader(reinterpret_cast<const unsigned char*>(a.data()),
                                                                   a.size())->passSalt,
                                               1000, counted);
    ASSERT_NE(first, nullptr);
    std::string plain;
    int version = 0;
    last = codec.Melt("C:\\a.pvx", plain, kNoClash, version, reading);
    ASSERT_EQ(last.result, kNoClash);
    last = codec.Melt("C:\\b.pvx", plain, kNoClash, version, reading);
    ASSERT_EQ(last.result, kNoClash);
    EXPECT_EQ(stretches, 1);  // both melted with the master key stretched above
    EXPECT_EQ(fs.At("C:\\b.txt"), "beta");

    // A version 1 container needs the password's code page 932 form: reported and skipped.
    fs.files["C:\\old.pvx"] = std::string("\x01\x01", 2) + "x";
    ui.shown.clear();
    last = codec.Melt("C:\\old.pvx", plain, kSkipAll, version, reading);
    EXPECT_EQ(last.result, kSkipAll);
    EXPECT_FALSE(last.written);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, text::PasswordNotForOldFormat("C:\\old.pvx"));
}

// Where the caller asks again, a wrong password is no message and no failure;
// the password typed next opens the file, the master stretched from the wrong
// one forgotten.
TEST_F(StrongTest, AWrongPasswordAskedAgainOpensWithTheNextOne) {
    const auto v = Vector("report");
    fs.files["C:\\d\\a.pvx"] = v.container;
    codec.SetAskAgain(true);
    PassKeys keys = PassKeys::FromPassword("wrong");
    std::string plain;
    int version = 0;
    last = codec.Melt("C:\\d\\a.pvx", plain, kOverwriteAll, version, keys);
    EXPECT_EQ(last.result, kOverwriteAll);
    EXPECT_TRUE(last.wrongPassword);
    EXPECT_FALSE(last.written);
    EXPECT_TRUE(ui.shown.empty());
    keys.Retype(v.password);
    last = codec.Melt("C:\\d\\a.pvx", plain, kNoClash, version, keys);
    EXPECT_EQ(last.result, kNoClash);
    EXPECT_FALSE(last.wrongPassword);
    EXPECT_TRUE(last.written);
    EXPECT_EQ(plain, "C:\\d\\報告書.txt");

    // The compatible format: No to the name question is a wrong password too.
    fs.files["C:\\d\\b.pvx"] = test::Craft("b.txt", "body", MakeKeyString("pw"));
    opt.ConfirmMeltedName = true;
    ui.answers = {MsgAnswer::kNo};
    PassKeys compatible = PassKeys::FromPassword("pw");
    last = codec.Melt("C:\\d\\b.pvx", plain, kNoClash, version, compatible);
    EXPECT_EQ(last.result, kNoClash);
    EXPECT_TRUE(last.wrongPassword);
    EXPECT_EQ(ui.shown.size(), 1u);  // the question alone, no message after it
    EXPECT_FALSE(fs.Has("C:\\d\\b.txt"));
}

TEST(Secret, TakingAStringOverLeavesNoCopyBehindShortOrLong) {
    for (const std::string password : {"himitsu", "a password long enough to live on the heap"}) {
        std::string typed = password;
        const char* bytes = typed.data();  // a short one's bytes lie inside the string object
        const std::size_t capacity = typed.capacity();
        const Secret secret(std::move(typed));
        EXPECT_EQ(secret.str(), password);
        EXPECT_EQ(std::string(bytes, capacity), std::string(capacity, '\0'));
    }
    // Bytes cut off the end stay in the buffer unless the whole of it is wiped.
    std::string line = "pw\r";
    line.pop_back();
    const char* bytes = line.data();
    SecureWipe(line);
    EXPECT_EQ(std::string(bytes, 3), std::string(3, '\0'));
}

TEST_F(StrongTest, APassKeepsOnlyWhatItsFilesStillNeed) {
    codec.SetStrongIterations(1000);
    fs.files["C:\\a.txt"] = "alpha";
    fs.files["C:\\b.txt"] = "beta";
    // Writing the strong format: the password until the pass's key exists, never a key string.
    PassKeys strongPass = PassKeys::ToWrite("pw", kStrongVersion);
    EXPECT_TRUE(strongPass.HoldsPassword());
    last = codec.Encode("C:\\a.txt", "C:\\a.pvx", kNoClash, kStrongVersion, strongPass);
    ASSERT_EQ(last.result, kNoClash);
    EXPECT_FALSE(strongPass.HoldsPassword());
    EXPECT_EQ(strongPass.KeyString(), nullptr);
    last = codec.Encode("C:\\b.txt", "C:\\b.pvx", kNoClash, kStrongVersion, strongPass);
    ASSERT_EQ(last.result, kNoClash);
    // Writing the compatible format: the key string alone.
    PassKeys oldPass = PassKeys::ToWrite("pw", kFormatVersion);
    EXPECT_FALSE(oldPass.HoldsPassword());
    EXPECT_NE(oldPass.KeyString(), nullptr);
    // Melting meets either: the password stays, the key string is made when asked for.
    PassKeys melting = PassKeys::FromPassword("pw");
    std::string plain;
    int version = 0;
    last = codec.Melt("C:\\a.pvx", plain, kNoClash, version, melting);
    ASSERT_EQ(last.result, kNoClash);
    EXPECT_EQ(fs.At("C:\\a.txt"), "alpha");
    EXPECT_TRUE(melting.HoldsPassword());
    ASSERT_NE(melting.KeyString(), nullptr);
    EXPECT_EQ(melting.KeyString()->str(), MakeKeyString("pw"));
}

TEST_F(StrongTest, NoRandomNumbersNoContainer) {
    fs.files["C:\\a.txt"] = "alpha";
    codec.SetRandom([](void*, std::size_t) { return false; });
    PassKeys keys = PassKeys::FromPassword("pw");
    last = codec.Encode("C:\\a.txt", "C:\\a.pvx", kNoClash, kStrongVersion, keys);
    EXPECT_EQ(last.result, kFailed);
    EXPECT_EQ(fs.files.size(), 1u);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, text::RandomFailed("C:\\a.txt"));
    // The pass salt came; the file salt did not.
    codec.SetRandom(FixedRandom(std::string(16, 'p')));
    codec.SetStrongIterations(1000);
    last = codec.Encode("C:\\a.txt", "C:\\a.pvx", kNoClash, kStrongVersion, keys);
    EXPECT_EQ(last.result, kFailed);
    EXPECT_EQ(fs.files.size(), 1u);
    EXPECT_TRUE(fs.Has("C:\\a.txt"));
}

TEST_F(StrongTest, HostileOrInvalidStoredNamesAreRefused) {
    codec.SetStrongIterations(1000);
    // Names a writer of ours would never store, sealed under the right key.
    // Not UTF-8 (a lone lead byte, a surrogate), a device, a folder-climbing part, a control character.
    for (const std::string& name : {std::string("\xC3\x28.txt"), std::string("\xED\xA0\x80.txt"), std::string("CON"),
                                    std::string("a\\b:.."), std::string("a\x01.txt")}) {
        SCOPED_TRACE(name);
        strong::Header header;
        header.iterations = 1000;
        const auto master = strong::StretchPassword("pw", header.passSalt, 1000);
        const auto key = strong::FileKey(*master, header.fileSalt);
        strong::Chunks chunks(*key, header);
        const std::string stream = strong::StreamPrefix(name) + "body";
        std::string sealed(stream.size() + 16, '\0');
        ASSERT_TRUE(chunks.Seal(0, true, reinterpret_cast<const unsigned char*>(stream.data()), stream.size(),
                                reinterpret_cast<unsigned char*>(sealed.data())));
        const auto head = strong::HeaderBytes(header);
        fs.files.clear();
        ui.shown.clear();
        fs.files["C:\\d\\x.pvx"] = std::string(head.begin(), head.end()) + sealed;
        std::string plain;
        const CodecResult result = MeltWith("C:\\d\\x.pvx", "pw", kNoClash, plain);
        EXPECT_EQ(result, kFailed);
        EXPECT_EQ(fs.files.size(), 1u);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].caption, "プリベックスエラー報告");
    }
}

}  // namespace
}  // namespace plivex
