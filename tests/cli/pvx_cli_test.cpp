// The pvx tool started as a user starts it: a real process in a fresh folder,
// real files, exit status and both output streams checked.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "codec/cipher.h"
#include "sys/cp932.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Bytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

// The container the format prescribes, built from its layout with the core's transform.
std::string ExpectedContainer(const std::string& nameUtf8, const std::string& body, const std::string& passwordUtf8) {
    const std::string name = plivex::Utf8ToCp932(nameUtf8).value();
    const std::string key = plivex::MakeKeyString(plivex::Utf8ToCp932(passwordUtf8).value());
    std::string c(2 + name.size() + body.size(), '\0');
    c[0] = 1;
    c[1] = static_cast<char>(name.size());
    std::uint32_t pos = 2;
    plivex::EncodeBytes(name.data(), c.data() + 2, static_cast<std::int32_t>(name.size()), pos, key);
    plivex::EncodeBytes(body.data(), c.data() + 2 + name.size(), static_cast<std::int32_t>(body.size()), pos, key);
    return c;
}

class PvxTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pvx-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        dir_ = root_ / "work";
        fs::create_directory(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path P(const std::string& name) const { return dir_ / fs::path(std::u8string(name.begin(), name.end())); }
    void Write(const std::string& name, const std::string& bytes) const {
        fs::create_directories(P(name).parent_path());
        std::ofstream(P(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const { return Slurp(P(name)); }
    bool Exists(const std::string& name) const { return fs::exists(P(name)); }

    // Every entry of the working folder and its subfolders, as UTF-8 relative paths.
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(dir_)) {
            const std::u8string rel = fs::relative(e.path(), dir_).generic_u8string();
            names.emplace(rel.begin(), rel.end());
        }
        return names;
    }

    // Runs pvx in the working folder. PVX_PASSWORD is taken from env only, never
    // from the caller's environment. Without typed lines the child has no
    // terminal, so a password prompt fails instead of waiting; with them it gets
    // a pseudo-terminal and each line is typed once the next prompt has shown.
    Outcome Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                const std::vector<std::string>& typed = {}, std::string* terminal = nullptr) const {
        const fs::path outPath = root_ / "stdout", errPath = root_ / "stderr";
        std::vector<std::string> envStrings;
        for (char** e = environ; *e; ++e)
            if (std::string_view(*e).rfind("PVX_PASSWORD=", 0) != 0) envStrings.emplace_back(*e);
        envStrings.insert(envStrings.end(), env.begin(), env.end());
        std::vector<char*> envp, argv;
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::string program = PVX_PROGRAM;
        std::vector<std::string> argStrings = args;
        argv.push_back(program.data());
        for (auto& s : argStrings) argv.push_back(s.data());
        argv.push_back(nullptr);

        int master = -1;
        std::string slave;
        if (terminal) {
            master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
                ADD_FAILURE() << "no pseudo-terminal";
                return {};
            }
            slave = ::ptsname(master);
        }

        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setsid();
            // The first terminal a session leader opens becomes its controlling terminal.
            if (terminal && ::open(slave.c_str(), O_RDWR) < 0) ::_exit(126);
            const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int in = ::open("/dev/null", O_RDONLY);
            if (out < 0 || err < 0 || in < 0 || ::chdir(dir_.c_str()) != 0) ::_exit(126);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            if (master >= 0) ::close(master);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        if (terminal) {
            Converse(master, pid, typed, *terminal);
            ::close(master);
        }
        Outcome o;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) o.status = WEXITSTATUS(status);
        o.out = Slurp(outPath);
        o.err = Slurp(errPath);
        return o;
    }

    // Types line k after the (k+1)-th prompt, then collects what the terminal shows until the child closes it.
    static void Converse(int master, pid_t child, const std::vector<std::string>& typed, std::string& shown) {
        auto prompts = [&shown] {
            std::size_t n = 0;
            for (std::size_t at = shown.find("パスワード"); at != std::string::npos;
                 at = shown.find("パスワード", at + 1))
                ++n;
            return n;
        };
        std::size_t next = 0;
        for (;;) {
            if (next < typed.size() && prompts() > next) {
                const std::string& line = typed[next++];
                if (::write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                    ADD_FAILURE() << "cannot type";
                continue;
            }
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) {
                ADD_FAILURE() << "pvx stopped answering; terminal so far: " << shown;
                ::kill(child, SIGKILL);
                return;
            }
            char buffer[256];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) return;  // EIO: the child closed its terminal
            shown.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // A run whose password comes from the environment.
    Outcome RunPw(const std::string& password, std::vector<std::string> args) const {
        return Run(args, {"PVX_PASSWORD=" + password});
    }

    fs::path root_, dir_;
};

// ---- Round trip -------------------------------------------------------------

TEST_F(PvxTest, EncryptThenDecryptGivesBackTheBytesAndName) {
    // More than one 1 MiB step of the codec, and every byte value.
    const std::string plain = Bytes((5u << 19) + 7, 1);
    Write("report.txt", plain);

    Outcome enc = RunPw("secret", {"encrypt", "report.txt"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    EXPECT_EQ(enc.out, "暗号化：report.txt → report.pvx\n");
    EXPECT_EQ(enc.err, "");
    EXPECT_EQ(Read("report.txt"), plain) << "the source stays without --delete";
    EXPECT_EQ(Read("report.pvx"), ExpectedContainer("report.txt", plain, "secret"));

    fs::remove(P("report.txt"));
    Outcome dec = RunPw("secret", {"decrypt", "report.pvx"});
    ASSERT_EQ(dec.status, 0) << dec.err;
    EXPECT_EQ(dec.out, "解凍：report.pvx → report.txt\n");
    EXPECT_EQ(dec.err, "");
    EXPECT_EQ(Read("report.txt"), plain);
    EXPECT_TRUE(Exists("report.pvx")) << "the container is always kept";
    EXPECT_EQ(Listing(), (std::set<std::string>{"report.pvx", "report.txt"}));
}

TEST_F(PvxTest, StrongFormatTakesAnyNameAndPasswordAndTellsAWrongOne) {
    // Three chunks of the format, a name and a password code page 932 cannot hold.
    const std::string plain = Bytes(140000, 3);
    Write("報告 한국 😀.bin", plain);
    Outcome enc = RunPw("鍵😀", {"encrypt", "--strong", "報告 한국 😀.bin"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    const std::string container = Read("報告 한국 😀.pvx");
    // Version 2, PBKDF2, AES-256-GCM, 600,000 iterations; three tags.
    EXPECT_EQ(container.substr(0, 12), std::string("\x02\x00PLVX\x01\x01\xC0\x27\x09\x00", 12));
    EXPECT_EQ(container.size(), 44 + 2 + std::string("報告 한국 😀.bin").size() + plain.size() + 3 * 16);
    fs::remove(P("報告 한국 😀.bin"));

    Outcome wrong = RunPw("鍵😁", {"decrypt", "報告 한국 😀.pvx"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "");
    // The file's own message, then what the run left as it was.
    EXPECT_EQ(wrong.err,
              "pvx: 報告 한국 😀.pvx: パスワードが違うか、ファイルが壊れています。 報告 한국 😀.pvx\n"
              "pvx: 次のファイルは解凍されていません（1 個中 0 個を解凍しました）。\n報告 한국 😀.pvx\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"報告 한국 😀.pvx"});

    // With a compatible container in the same run: that one cannot take this password.
    Write("old.txt", "old");
    ASSERT_EQ(RunPw("pw", {"encrypt", "--delete", "old.txt"}).status, 0);
    Outcome dec = RunPw("鍵😀", {"decrypt", "old.pvx", "報告 한국 😀.pvx"});
    EXPECT_EQ(dec.status, 1);
    EXPECT_EQ(dec.out, "解凍：報告 한국 😀.pvx → 報告 한국 😀.bin\n");
    EXPECT_NE(dec.err.find("pvx: old.pvx: 従来の形式の暗号化ファイルには使えない文字"), std::string::npos) << dec.err;
    EXPECT_EQ(Read("報告 한국 😀.bin"), plain);
    EXPECT_EQ(Read("報告 한국 😀.pvx"), container) << "the container is kept";
}

TEST_F(PvxTest, EmptyFileRoundTrips) {
    Write("empty", "");
    ASSERT_EQ(RunPw("pw", {"encrypt", "empty"}).status, 0);
    EXPECT_EQ(Read("empty.pvx"), ExpectedContainer("empty", "", "pw"));
    fs::remove(P("empty"));
    ASSERT_EQ(RunPw("pw", {"decrypt", "empty.pvx"}).status, 0);
    EXPECT_TRUE(Exists("empty"));
    EXPECT_EQ(Read("empty"), "");
}

TEST_F(PvxTest, FilesInAnotherFolderGetTheirOutputBesideThem) {
    Write("docs/report.txt", "quarterly");
    Outcome enc = RunPw("pw", {"encrypt", "docs/report.txt"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    EXPECT_EQ(enc.out, "暗号化：docs/report.txt → docs/report.pvx\n");
    // Only the file name is stored, so a moved and renamed container melts beside itself.
    fs::create_directory(P("other"));
    fs::rename(P("docs/report.pvx"), P("other/x.pvx"));
    const std::string absolute = P("other/x.pvx").string();
    Outcome dec = RunPw("pw", {"decrypt", absolute});
    ASSERT_EQ(dec.status, 0) << dec.err;
    EXPECT_EQ(dec.out, "解凍：" + absolute + " → " + P("other/report.txt").string() + "\n");
    EXPECT_EQ(Read("other/report.txt"), "quarterly");
    EXPECT_EQ(Listing(), (std::set<std::string>{"docs", "docs/report.txt", "other", "other/x.pvx", "other/report.txt"}));
}

TEST_F(PvxTest, DeleteRemovesTheSourceOnlyWhenItsContainerWasMade) {
    Write("a.txt", "alpha");
    Write("😀.txt", "smile");
    Outcome o = RunPw("pw", {"encrypt", "--delete", "a.txt", "😀.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "暗号化：a.txt → a.pvx\n");
    EXPECT_EQ(Listing(), (std::set<std::string>{"a.pvx", "😀.txt"})) << "a.txt deleted, the refused file kept";
    EXPECT_EQ(Read("😀.txt"), "smile");

    ASSERT_EQ(RunPw("pw", {"decrypt", "a.pvx"}).status, 0);
    EXPECT_EQ(Read("a.txt"), "alpha");
}

TEST_F(PvxTest, OptionsMayFollowTheFilesAndDoubleDashEndsThem) {
    Write("-v.txt", "dash");
    Write("b.txt", "bee");
    Outcome o = RunPw("pw", {"encrypt", "b.txt", "--delete", "--", "-v.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Listing(), (std::set<std::string>{"-v.pvx", "b.pvx"}));
}

TEST_F(PvxTest, FileNamedLikeTheCodecPlaceholderIsStillEncrypted) {
    // The codec skips a source of exactly this name without a word.
    Write("($Dummy)", "not a placeholder");
    Outcome o = RunPw("pw", {"encrypt", "($Dummy)"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("($Dummy).pvx"), ExpectedContainer("($Dummy)", "not a placeholder", "pw"));
}

// ---- Numbered names ---------------------------------------------------------

TEST_F(PvxTest, EncryptNumbersTheContainerInsteadOfOverwriting) {
    Write("report.txt", "new");
    Write("report.pvx", "someone else's");
    Outcome o = RunPw("pw", {"encrypt", "report.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "暗号化：report.txt → report_2.pvx\n");
    EXPECT_EQ(Read("report.pvx"), "someone else's");
    EXPECT_EQ(Read("report_2.pvx"), ExpectedContainer("report.txt", "new", "pw"));

    o = RunPw("pw", {"encrypt", "report.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "暗号化：report.txt → report_3.pvx\n");
    EXPECT_EQ(Listing(), (std::set<std::string>{"report.txt", "report.pvx", "report_2.pvx", "report_3.pvx"}));
}

TEST_F(PvxTest, DecryptNumbersThePlainFileBesideAnExistingOne) {
    Write("report.txt", "original");
    ASSERT_EQ(RunPw("pw", {"encrypt", "report.txt"}).status, 0);
    Write("report.txt", "edited since");

    Outcome o = RunPw("pw", {"decrypt", "report.pvx"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "解凍：report.pvx → report_2.txt\n");
    EXPECT_EQ(Read("report.txt"), "edited since");
    EXPECT_EQ(Read("report_2.txt"), "original");
    EXPECT_EQ(Listing(), (std::set<std::string>{"report.pvx", "report.txt", "report_2.txt"}));
}

// ---- Password sources -------------------------------------------------------

TEST_F(PvxTest, PasswordFileGivesItsFirstLineWithoutTheLineEnd) {
    Write("doc.txt", "body");
    fs::create_directory(root_ / "keys");
    std::ofstream(root_ / "keys" / "pw", std::ios::binary) << "secret\r\nsecond line\r\n";
    Outcome o = Run({"encrypt", "--password-file", (root_ / "keys" / "pw").string(), "doc.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("doc.pvx"), ExpectedContainer("doc.txt", "body", "secret"));
}

TEST_F(PvxTest, PasswordFileSkipsAByteOrderMarkAndTakesJapanese) {
    Write("doc.txt", "body");
    std::ofstream(root_ / "pw", std::ios::binary) << "\xEF\xBB\xBF秘密の鍵\n";
    Outcome o = Run({"encrypt", "--password-file=" + (root_ / "pw").string(), "doc.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    // The key is made of the code page 932 bytes, as the Windows program makes it.
    EXPECT_EQ(Read("doc.pvx"), ExpectedContainer("doc.txt", "body", "秘密の鍵"));
    // A file without a line end at all, and the environment, give the same password.
    std::ofstream(root_ / "pw2", std::ios::binary) << "秘密の鍵";
    fs::remove(P("doc.txt"));
    ASSERT_EQ(Run({"decrypt", "--password-file", (root_ / "pw2").string(), "doc.pvx"}).status, 0);
    EXPECT_EQ(Read("doc.txt"), "body");
}

TEST_F(PvxTest, EnvironmentVariableGivesThePassword) {
    Write("doc.txt", "body");
    Outcome o = Run({"encrypt", "doc.txt"}, {"PVX_PASSWORD=from env"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("doc.pvx"), ExpectedContainer("doc.txt", "body", "from env"));
}

TEST_F(PvxTest, PasswordFileWinsOverTheEnvironment) {
    Write("doc.txt", "body");
    std::ofstream(root_ / "pw", std::ios::binary) << "from file\n";
    Outcome o = Run({"encrypt", "--password-file", (root_ / "pw").string(), "doc.txt"}, {"PVX_PASSWORD=from env"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("doc.pvx"), ExpectedContainer("doc.txt", "body", "from file"));
}

TEST_F(PvxTest, WrongPasswordRefusedByItsNameKeepsTheContainer) {
    Write("report.txt", "confidential");
    ASSERT_EQ(RunPw("secret", {"encrypt", "report.txt"}).status, 0);
    fs::remove(P("report.txt"));
    const std::string container = Read("report.pvx");

    Outcome o = RunPw("wrong", {"decrypt", "report.pvx"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("pvx: report.pvx: 解凍ファイルの作成に失敗しました。"), std::string::npos) << o.err;
    EXPECT_EQ(Listing(), std::set<std::string>{"report.pvx"});
    EXPECT_EQ(Read("report.pvx"), container);
}

TEST_F(PvxTest, WrongPasswordThatKeepsTheNameGivesOtherBytesAndKeepsTheContainer) {
    // "ab" and "ba" share the key byte and the key string's tail, which alone
    // covers a short stored name; the body sees the first two key bytes.
    const std::string plain = Bytes(1000, 2);
    Write("r.bin", plain);
    ASSERT_EQ(RunPw("ab", {"encrypt", "r.bin"}).status, 0);
    fs::remove(P("r.bin"));
    const std::string container = Read("r.pvx");

    Outcome o = RunPw("ba", {"decrypt", "r.pvx"});
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_TRUE(Exists("r.bin"));
    EXPECT_EQ(Read("r.bin").size(), plain.size());
    EXPECT_NE(Read("r.bin"), plain);
    EXPECT_EQ(Read("r.pvx"), container) << "the container is the only good copy";
}

TEST_F(PvxTest, UpgradeMakesOldContainersStrongInPlaceAndAsksOnlyOnATerminal) {
    const std::string big = Bytes(300000, 3);
    Write("a.txt", "alpha");
    Write("sub/b.bin", big);
    Write("r.txt", "renamed");
    Write("c.txt", "gamma");
    ASSERT_EQ(RunPw("pw", {"encrypt", "--delete", "a.txt", "sub/b.bin", "r.txt"}).status, 0);
    ASSERT_EQ(RunPw("pw", {"encrypt", "--strong", "--delete", "c.txt"}).status, 0);
    fs::rename(P("r.pvx"), P("other.pvx"));  // its name inside is no longer its own
    Write("notes.txt", "not a container");
    const std::string strong = Read("c.pvx"), renamed = Read("other.pvx");

    // Without a terminal the renamed one is left and named; strong ones are counted apart.
    Outcome o = RunPw("pw", {"upgrade", "."});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("2 個のファイルを新しい形式に変換しました。\n1 個はすでに新しい形式でした。\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.err.find("次のファイルは変換されていません（3 個中 2 個を変換しました）。\n./other.pvx"), std::string::npos)
        << o.err;
    EXPECT_EQ(Read("a.pvx")[0], '\x02');
    EXPECT_EQ(Read("sub/b.pvx")[0], '\x02');
    EXPECT_EQ(Read("c.pvx"), strong);
    EXPECT_EQ(Read("other.pvx"), renamed);
    EXPECT_EQ(Listing(), (std::set<std::string>{"a.pvx", "c.pvx", "notes.txt", "other.pvx", "sub", "sub/b.pvx"}));

    // On a terminal the question is asked, and y converts it.
    std::string shown;
    o = Run({"upgrade", "other.pvx"}, {}, {"pw\n", "y\n"}, &shown);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(shown.find("このファイルを変換しますか？ (y/N): "), std::string::npos) << shown;
    EXPECT_EQ(Read("other.pvx")[0], '\x02');

    // Every file melts back from its strong container.
    ASSERT_EQ(RunPw("pw", {"decrypt", "a.pvx", "sub/b.pvx", "other.pvx"}).status, 0);
    EXPECT_EQ(Read("a.txt"), "alpha");
    EXPECT_EQ(Read("sub/b.bin"), big);
    EXPECT_EQ(Read("r.txt"), "renamed");
}

TEST_F(PvxTest, EmptyPasswordIsRefusedWithNothingWritten) {
    Write("doc.txt", "body");
    std::ofstream(root_ / "pw", std::ios::binary) << "\r\nsecret\r\n";
    const std::vector<Outcome> runs = {
        Run({"encrypt", "doc.txt"}, {"PVX_PASSWORD="}),
        Run({"encrypt", "--password-file", (root_ / "pw").string(), "doc.txt"}),
    };
    for (const Outcome& o : runs) {
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, "pvx: パスワードが入力されていません。\n");
    }
    EXPECT_EQ(Listing(), std::set<std::string>{"doc.txt"});
}

TEST_F(PvxTest, PasswordOutsideCodePage932IsRefusedWithNothingWritten) {
    Write("doc.txt", "body");
    Outcome o = RunPw("key😀", {"encrypt", "doc.txt"});
    EXPECT_EQ(o.status, 1);
    // Which character, and that the strong format would take it.
    EXPECT_EQ(o.err, "pvx: パスワードに使用できない文字が含まれています。 使用できない文字：😀 "
                     "新しい形式（AES-256）ならどの文字も使えます。\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"doc.txt"});
}

TEST_F(PvxTest, NoPasswordSourceAndNoTerminalFailsWithoutWaiting) {
    Write("doc.txt", "body");
    Outcome o = Run({"encrypt", "doc.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("PVX_PASSWORD"), std::string::npos) << o.err;
    EXPECT_EQ(Listing(), std::set<std::string>{"doc.txt"});
}

TEST_F(PvxTest, TerminalPasswordIsAskedTwiceForEncryptionWithoutEcho) {
    Write("doc.txt", "body");
    std::string shown;
    Outcome o = Run({"encrypt", "doc.txt"}, {}, {"秘密\n", "秘密\n"}, &shown);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("doc.pvx"), ExpectedContainer("doc.txt", "body", "秘密"));
    EXPECT_NE(shown.find("パスワード: "), std::string::npos) << shown;
    EXPECT_NE(shown.find("パスワード（確認）: "), std::string::npos) << shown;
    EXPECT_EQ(shown.find("秘密"), std::string::npos) << "echoed: " << shown;

    // Decryption asks once.
    fs::remove(P("doc.txt"));
    shown.clear();
    o = Run({"decrypt", "doc.pvx"}, {}, {"秘密\n"}, &shown);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Read("doc.txt"), "body");
    EXPECT_EQ(shown.find("確認"), std::string::npos) << shown;
}

TEST_F(PvxTest, TerminalPasswordsThatDifferAreRefusedWithNothingWritten) {
    Write("doc.txt", "body");
    std::string shown;
    Outcome o = Run({"encrypt", "doc.txt"}, {}, {"one\n", "two\n"}, &shown);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "pvx: パスワードが一致しません。\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"doc.txt"});
}

TEST_F(PvxTest, MissingPasswordFileFailsWithNothingWritten) {
    Write("doc.txt", "body");
    Outcome o = Run({"encrypt", "--password-file", "no-such-file", "doc.txt"}, {"PVX_PASSWORD=unused"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "pvx: no-such-file: パスワードファイルを読み込めません。\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"doc.txt"});
}

// ---- Usage ------------------------------------------------------------------

TEST_F(PvxTest, WrongUsageExitsWithTwoAndTheUsageOnStandardError) {
    Write("a.txt", "x");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate", "a.txt"},
        {"encrypt", "--bogus", "a.txt"},
        {"encrypt"},
        {"decrypt", "--password-file", "pw"},
        {"encrypt", "a.txt", "--password-file"},
        {"encrypt", "--password-file=", "a.txt"},
        {"decrypt", "--delete", "a.pvx"},  // decrypt never deletes
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += " " + a;
        SCOPED_TRACE("pvx" + shown);
        Outcome o = RunPw("pw", args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("pvx encrypt"), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("pvx decrypt"), std::string::npos) << o.err;
    }
    EXPECT_EQ(Listing(), std::set<std::string>{"a.txt"});
}

TEST_F(PvxTest, HelpGoesToStandardOutputAndSucceeds) {
    const std::vector<std::vector<std::string>> cases = {{"--help"}, {"-h"}, {"encrypt", "--help"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        Outcome o = Run(args);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, "");
        for (const char* part : {"pvx encrypt", "pvx decrypt", "--delete", "--password-file", "PVX_PASSWORD",
                                 "終了コード", "難読化"})
            EXPECT_NE(o.out.find(part), std::string::npos) << part;
    }
}

// ---- One failure does not stop the rest -------------------------------------

TEST_F(PvxTest, MissingFileFailsWhileTheOtherIsStillDone) {
    Write("here.txt", "present");
    Outcome enc = RunPw("pw", {"encrypt", "gone.txt", "here.txt"});
    EXPECT_EQ(enc.status, 1);
    EXPECT_EQ(enc.out, "暗号化：here.txt → here.pvx\n");
    EXPECT_NE(enc.err.find("pvx: gone.txt: "), std::string::npos) << enc.err;
    EXPECT_EQ(Listing(), (std::set<std::string>{"here.txt", "here.pvx"}));

    fs::remove(P("here.txt"));
    Outcome dec = RunPw("pw", {"decrypt", "gone.pvx", "here.pvx"});
    EXPECT_EQ(dec.status, 1);
    EXPECT_EQ(dec.out, "解凍：here.pvx → here.txt\n");
    EXPECT_NE(dec.err.find("pvx: gone.pvx: "), std::string::npos) << dec.err;
    EXPECT_EQ(Read("here.txt"), "present");
}

// ---- Names ------------------------------------------------------------------

TEST_F(PvxTest, JapaneseNameRoundTrips) {
    Write("報告書.txt", "四半期");
    Outcome enc = RunPw("pw", {"encrypt", "報告書.txt"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    EXPECT_EQ(enc.out, "暗号化：報告書.txt → 報告書.pvx\n");
    // Stored as code page 932, as the Windows program stores it.
    EXPECT_EQ(Read("報告書.pvx"), ExpectedContainer("報告書.txt", "四半期", "pw"));

    fs::remove(P("報告書.txt"));
    fs::rename(P("報告書.pvx"), P("x.pvx"));
    Outcome dec = RunPw("pw", {"decrypt", "x.pvx"});
    ASSERT_EQ(dec.status, 0) << dec.err;
    EXPECT_EQ(dec.out, "解凍：x.pvx → 報告書.txt\n");
    EXPECT_EQ(Read("報告書.txt"), "四半期");
}

TEST_F(PvxTest, NameOutsideCodePage932IsRefusedWithNothingWritten) {
    Write("😀.txt", "smile");
    Outcome o = RunPw("pw", {"encrypt", "😀.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err,
              "pvx: 😀.txt: ファイル名に暗号化できない文字が含まれています。 \"😀.txt\"\n"
              "pvx: 次のファイルは暗号化されていません（1 個中 0 個を暗号化しました）。\n😀.txt\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"😀.txt"});
}

TEST_F(PvxTest, NameHoldingAWindowsSeparatorIsRefused) {
    Write("a:b.txt", "colon");
    Write("c\\d.txt", "backslash");
    Outcome o = RunPw("pw", {"encrypt", "--delete", "a:b.txt", "c\\d.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("pvx: a:b.txt: ファイル名に暗号化できない文字が含まれています。"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("pvx: c\\d.txt: ファイル名に暗号化できない文字が含まれています。"), std::string::npos)
        << o.err;
    EXPECT_EQ(Listing(), (std::set<std::string>{"a:b.txt", "c\\d.txt"}));

    // A container of such a name would melt under a mangled name.
    Write("ok.txt", "fine");
    ASSERT_EQ(RunPw("pw", {"encrypt", "--delete", "ok.txt"}).status, 0);
    fs::rename(P("ok.pvx"), P("x:y.pvx"));
    o = RunPw("pw", {"decrypt", "x:y.pvx"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("pvx: x:y.pvx: "), std::string::npos) << o.err;
    EXPECT_EQ(Listing(), (std::set<std::string>{"a:b.txt", "c\\d.txt", "x:y.pvx"}));
}

TEST_F(PvxTest, EncryptRefusesNamesThatWouldNotMeltBackAndGoesOn) {
    const std::vector<std::string> refused = {"what?.txt", "CON", "nul.txt", "trail.", "a|b.txt", "sp ace .txt "};
    for (const bool strong : {false, true}) {
        SCOPED_TRACE(strong ? "strong" : "compatible");
        for (const std::string& name : refused) Write(name, "plain " + name);
        Write("ok.txt", "fine");
        std::vector<std::string> args = {"encrypt", "--delete"};
        if (strong) args.push_back("--strong");
        args.insert(args.end(), refused.begin(), refused.end());
        args.push_back("ok.txt");
        Outcome o = RunPw("pw", args);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "暗号化：ok.txt → ok.pvx\n");
        for (const std::string& name : refused) {
            EXPECT_NE(o.err.find("pvx: " + name + ": この名前は Windows のファイル名に使えないため、暗号化できません。"),
                      std::string::npos)
                << o.err;
            EXPECT_EQ(Read(name), "plain " + name);  // the source kept
        }
        ASSERT_EQ(RunPw("pw", {"decrypt", "ok.pvx"}).status, 0);
        EXPECT_EQ(Read("ok.txt"), "fine");
        std::set<std::string> left(refused.begin(), refused.end());
        left.insert({"ok.txt", "ok.pvx"});
        EXPECT_EQ(Listing(), left) << "no container of a refused name, no temporary file";
        fs::remove(P("ok.pvx"));
    }
    // A name that is no UTF-8 fits neither format.
    const std::string bad = "bad\xFF.txt";
    Write(bad, "x");
    EXPECT_EQ(RunPw("pw", {"encrypt", "--strong", "--delete", bad}).status, 1);
    EXPECT_EQ(Read(bad), "x");
}

TEST_F(PvxTest, OutputsTakeTheSourcesPermissionsLessTheUmask) {
    auto mode = [&](const std::string& name) { return static_cast<unsigned>(fs::status(P(name)).permissions()) & 0777; };
    const mode_t mask = ::umask(022);  // the child inherits it
    Write("private.txt", "secret");
    fs::permissions(P("private.txt"), fs::perms::owner_read | fs::perms::owner_write);
    Write("shared.txt", "open");
    fs::permissions(P("shared.txt"), static_cast<fs::perms>(0666));
    ASSERT_EQ(RunPw("pw", {"encrypt", "--delete", "private.txt", "shared.txt"}).status, 0);
    EXPECT_EQ(mode("private.pvx"), 0600u);
    EXPECT_EQ(mode("shared.pvx"), 0644u);
    ASSERT_EQ(RunPw("pw", {"decrypt", "private.pvx", "shared.pvx"}).status, 0);
    EXPECT_EQ(mode("private.txt"), 0600u);
    EXPECT_EQ(mode("shared.txt"), 0644u);
    ::umask(mask);
}

TEST_F(PvxTest, StaleTemporaryFilesOfOursAreRemovedByTheNextConversionThere) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(11);
    for (const std::string name : {"~plvx0000abcd.tmp", "~plvx0000abce.tmp", "~plvx0000abcf.tmp", "~plvxnotours.tmp",
                                   "other.tmp"}) {
        Write(name, "plain bytes of a melt cut off");
        if (name != "~plvx0000abce.tmp") fs::last_write_time(P(name), old);  // abce is recent
    }
    // One still being written is locked by its writer.
    const int held = ::open(P("~plvx0000abcf.tmp").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    Write("a.txt", "alpha");
    ASSERT_EQ(RunPw("pw", {"encrypt", "a.txt"}).status, 0);
    ::close(held);
    EXPECT_EQ(Listing(), (std::set<std::string>{"a.txt", "a.pvx", "~plvx0000abce.tmp", "~plvx0000abcf.tmp",
                                                "~plvxnotours.tmp", "other.tmp"}));
}

// ---- Damaged containers -----------------------------------------------------

TEST_F(PvxTest, TruncatedContainerIsRefusedAndKept) {
    Write("report.txt", "some text");
    ASSERT_EQ(RunPw("pw", {"encrypt", "--delete", "report.txt"}).status, 0);
    const std::string whole = Read("report.pvx");
    // One byte: no header; five: the header promises a longer name than follows.
    for (std::size_t keep : {std::size_t{1}, std::size_t{5}}) {
        SCOPED_TRACE(keep);
        Write("report.pvx", whole.substr(0, keep));
        Outcome o = RunPw("pw", {"decrypt", "report.pvx"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("pvx: report.pvx: 未知のファイル形式です。"), std::string::npos) << o.err;
        EXPECT_EQ(Listing(), std::set<std::string>{"report.pvx"});
        EXPECT_EQ(Read("report.pvx").size(), keep);
    }
}

}  // namespace

namespace {

// Ctrl+C while a large file is converted stops it at its next step: the file
// stays as it was, no output is left, and pvx says so and fails.
TEST_F(PvxTest, InterruptStopsTheFileInHandCleanly) {
    std::string body(512u << 20, '\0');
    for (std::size_t i = 0; i < body.size(); i += 4096) body[i] = static_cast<char>(i >> 12);
    Write("big.bin", body);
    const fs::path errPath = root_ / "stderr";
    std::string program = PVX_PROGRAM, encrypt = "encrypt", del = "--delete", file = "big.bin";
    std::string password = "PVX_PASSWORD=pw";
    char* argv[] = {program.data(), encrypt.data(), del.data(), file.data(), nullptr};
    char* envp[] = {password.data(), nullptr};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_RDWR);
        if (err < 0 || null < 0 || ::chdir(dir_.c_str()) != 0) ::_exit(126);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(err, 2);
        ::execve(argv[0], argv, envp);
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    // Stopped while its temporary output grows, then interrupted and let go on.
    bool converting = false;
    for (int i = 0; i < 20000 && !converting; ++i) {
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().extension() == ".tmp" && e.file_size() > 0) converting = true;
        if (!converting) ::usleep(500);
    }
    ::kill(pid, SIGSTOP);
    ::kill(pid, SIGINT);
    ::kill(pid, SIGCONT);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(converting) << "no temporary output was seen";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of stopping cleanly";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(Slurp(errPath).find("中止しました"), std::string::npos) << Slurp(errPath);
    EXPECT_NE(Slurp(errPath).find("次のファイルは暗号化されていません（1 個中 0 個を暗号化しました）。\nbig.bin\n"),
              std::string::npos)
        << Slurp(errPath);
    EXPECT_EQ(Listing(), std::set<std::string>{"big.bin"});
    EXPECT_TRUE(Read("big.bin") == body) << "the source changed";
}

}  // namespace
