#include "tools/pvx.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "base/listed_folders.h"
#include "base/paths.h"
#include "codec/codec.h"
#include "base/secret.h"
#include "codec/texts.h"
#include "options/options_record.h"
#include "sys/system_files.h"

namespace plivex {

namespace {

constexpr std::string_view kUsage =
    "使い方:\n"
    "  pvx encrypt [--strong] [--delete] [--password-file ファイル] ファイル...\n"
    "  pvx decrypt [--password-file ファイル] 暗号化ファイル...\n"
    "  pvx upgrade [--password-file ファイル] 暗号化ファイル|フォルダー...\n"
    "  pvx --help\n"
    "\n"
    "encrypt  各ファイルを暗号化し、同じフォルダーに拡張子 .pvx の暗号化ファイルを作ります。\n"
    "         同じ名前のファイルがあるときは番号を付けた名前にします（上書きしません）。\n"
    "decrypt  各暗号化ファイルを解凍し、同じフォルダーに元の名前で保存します。\n"
    "         同じ名前のファイルがあるときは番号を付けた名前にします。暗号化ファイルは残します。\n"
    "upgrade  従来の形式の暗号化ファイルを、同じ名前のまま新しい形式（AES-256）に変換します。\n"
    "         フォルダーを指定すると、その中とサブフォルダーの暗号化ファイルを変換します。\n"
    "         元のファイルの内容はディスクに書き出しません。中のファイル名が暗号化ファイルの名前と\n"
    "         違うとき（パスワードの誤りの可能性）は端末で確認し、端末がなければ変換しません。\n"
    "\n"
    "オプション:\n"
    "  --strong                 新しい形式（AES-256）で暗号化します。以前のバージョンでは開けません。\n"
    "  --delete                 暗号化に成功した元のファイルを削除します。\n"
    "  --password-file ファイル  パスワードをファイルの 1 行目から読み込みます（UTF-8）。\n"
    "  -h, --help               この説明を表示します。\n"
    "\n"
    "パスワードは --password-file、環境変数 PVX_PASSWORD、端末からの入力（表示なし）の順に探します。\n"
    "\n"
    "終了コード: 0 すべて成功、1 失敗したファイルがある（パスワードの誤りを含む）、2 使い方の誤り\n"
    "\n"
    "注意: 従来の形式はパスワードを鍵とする難読化であり、強い暗号化ではありません。\n"
    "      --strong の新しい形式は暗号化し、パスワードの誤りや改ざんを検出します。\n";

constexpr const char* kPasswordEnv = "PVX_PASSWORD";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Wipes a string however the scope is left.
class WipeOnExit {
public:
    explicit WipeOnExit(std::string& s) : s_(s) {}
    ~WipeOnExit() { SecureWipe(s_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::string& s_;
};

// One message, one line of standard error.
std::string OneLine(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\n') line += ' ';
        else if (c != '\r') line += c;
    }
    return line;
}

// The codec's messages go to standard error, prefixed with the file being worked.
class ConsoleUi : public CodecUi {
public:
    explicit ConsoleUi(PvxConsole& console) : console_(console) {}
    void SetFile(const std::string& file) { file_ = file; }

    void ReportError(const CodecReport& report) override {
        // "Open failed" and "internal error" carry meaning the message lacks;
        // other kinds only say that this is an error.
        switch (report.kind) {
            case CodecError::kOpenFailed:
                Tell(std::string(text::kCaptionOpenFailed) + ": " + OneLine(report.message));
                break;
            case CodecError::kInternal:
                Tell(std::string(text::kCaptionInternalError) + ": " + OneLine(report.message));
                break;
            case CodecError::kFailed:
            case CodecError::kCannotMelt:
                Tell(OneLine(report.message));
                break;
        }
    }
    // Nobody to ask: each question is told, and answered the way that changes nothing.
    bool ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) override {
        Tell(OneLine(MeltedNameQuestion(plain, container, unlike)));
        return false;
    }
    DeleteAnswer AskDeleteUnlikeContainer(const std::string& container) override {
        Tell(OneLine(text::ConfirmDeleteContainer(container)));
        return DeleteAnswer::kKeep;
    }
    DeleteAnswer AskDeleteUnassociated(const std::string& plain, const std::string& container) override {
        Tell(OneLine(text::ConfirmDeleteUnrelated(plain, container)));
        return DeleteAnswer::kKeep;
    }
    // OnNameClash 2 numbers clashing names, so this is never asked.
    CodecResult AskOverwrite(std::string&) override { return CodecResult::kFailed; }
    // Only asked before deleting a container, which the tool never does.
    bool HasAssociation(const std::string&) override { return false; }
    // Asked on the terminal where there is one; without one the file is left.
    bool ConfirmUpgradeUnlike(const std::string& container, const std::string& name) override {
        const std::string question = OneLine(text::ConfirmUpgradeUnlike(container, name));
        const std::optional<std::string> answer = console_.AskLine(question + " (y/N): ");
        if (!answer) Tell(question);
        return answer && (*answer == "y" || *answer == "Y");
    }

private:
    // One line of standard error, prefixed with the file being worked.
    void Tell(const std::string& line) { console_.Err("pvx: " + file_ + ": " + line + "\n"); }

    PvxConsole& console_;
    std::string file_;
};

struct Command {
    enum Verb { kEncrypt, kDecrypt, kUpgrade } verb = kEncrypt;
    bool Encrypts() const { return verb == kEncrypt; }
    bool deleteSource = false;
    bool strong = false;
    std::optional<std::string> passwordFile;
    std::vector<std::string> files;
};

struct Parsed {
    enum { Run, Help, Usage } what = Usage;
    std::string error;  // for Usage; empty when the usage alone says it
    Command command;
};

Parsed Parse(const std::vector<std::string>& args) {
    Parsed p;
    if (args.empty()) return p;
    if (args[0] == "--help" || args[0] == "-h") {
        p.what = Parsed::Help;
        return p;
    }
    if (args[0] == "encrypt") p.command.verb = Command::kEncrypt;
    else if (args[0] == "decrypt") p.command.verb = Command::kDecrypt;
    else if (args[0] == "upgrade") p.command.verb = Command::kUpgrade;
    else {
        p.error = "不明なコマンドです: " + args[0];
        return p;
    }
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            p.command.files.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            p.what = Parsed::Help;
            return p;
        } else if (a == "--delete" && p.command.Encrypts()) {
            p.command.deleteSource = true;
        } else if (a == "--strong" && p.command.Encrypts()) {
            p.command.strong = true;
        } else if (a == "--password-file" || a.starts_with("--password-file=")) {
            std::string value;
            if (a == "--password-file") {
                if (i + 1 < args.size()) value = args[++i];
            } else {
                value = a.substr(a.find('=') + 1);
            }
            if (value.empty()) {
                p.error = "--password-file にファイル名がありません。";
                return p;
            }
            p.command.passwordFile = value;
        } else {
            p.error = "不明なオプションです: " + a;
            return p;
        }
    }
    if (p.command.files.empty()) {
        p.error = "ファイルが指定されていません。";
        return p;
    }
    p.what = Parsed::Run;
    return p;
}

// First line of the file, without its line end and a leading byte-order mark.
bool ReadPasswordFile(const std::string& path, std::string& password) {
    const std::u8string_view u8(reinterpret_cast<const char8_t*>(path.data()), path.size());
    std::ifstream in;
    // Unbuffered, so that no stream buffer keeps a copy of the password.
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(std::filesystem::path(u8), std::ios::binary);
    if (!in) return false;
    password.reserve(256);  // no reallocation leaves copies behind for any sane password
    char c;
    while (in.get(c) && c != '\n') password += c;
    if (in.bad()) return false;
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (std::string_view(password).starts_with(kUtf8Bom)) password.erase(0, kUtf8Bom.size());
    return true;
}

// Fills password from the first source present; false after reporting why not.
bool GetPassword(const Command& command, PvxConsole& console, std::string& password) {
    if (command.passwordFile) {
        if (!ReadPasswordFile(*command.passwordFile, password)) {
            console.Err("pvx: " + *command.passwordFile + ": パスワードファイルを読み込めません。\n");
            return false;
        }
    } else if (std::optional<std::string> env = console.GetEnv(kPasswordEnv)) {
        password = *env;
        SecureWipe(*env);
    } else {
        if (!console.ReadPassword("パスワード: ", password)) {
            console.Err("pvx: パスワードを入力する端末がありません。--password-file か環境変数 PVX_PASSWORD で指定して下さい。\n");
            return false;
        }
        if (command.Encrypts() && !password.empty()) {
            std::string again;
            WipeOnExit wipeAgain(again);
            if (!console.ReadPassword("パスワード（確認）: ", again)) {
                console.Err("pvx: パスワードを入力する端末がありません。\n");
                return false;
            }
            if (again != password) {
                console.Err("pvx: パスワードが一致しません。\n");
                return false;
            }
        }
    }
    if (password.empty()) {
        console.Err("pvx: パスワードが入力されていません。\n");
        return false;
    }
    return true;
}

// A large file's progress on a terminal, one line rewritten in place; and
// Ctrl+C, which stops the file being converted at its next step.
class ConsoleProgress : public Progress {
public:
    static constexpr std::uint64_t kShownFrom = 8u << 20;  // smaller files are done before anyone looks

    explicit ConsoleProgress(PvxConsole& console) : console_(console), terminal_(console.ErrIsTerminal()) {}
    void SetFile(const std::string& label, const std::string& file) {
        Clear();
        label_ = label;
        file_ = file;
        percent_ = -1;
    }
    bool Advance(std::uint64_t done, std::uint64_t total) override {
        if (console_.Interrupted()) {
            Clear();
            return false;
        }
        if (!terminal_ || total < kShownFrom) return true;
        const int percent = static_cast<int>(done * 100 / total);
        if (percent == percent_) return true;
        percent_ = percent;
        Clear();
        line_ = label_ + file_ + "  " + std::to_string(percent) + "%";
        std::string shown(1, '\r');
        shown += line_;
        console_.Err(shown);
        if (done == total) Clear();
        return true;
    }

private:
    // Blanks over the line: a byte of UTF-8 is never wider than a column's worth of blanks.
    void Clear() {
        if (line_.empty()) return;
        std::string blanks(line_.size() + 2, ' ');
        blanks.front() = blanks.back() = '\r';
        console_.Err(blanks);
        line_.clear();
    }

    PvxConsole& console_;
    const bool terminal_;
    std::string label_, file_, line_;
    int percent_ = -1;
};

// The container format keeps Windows names, where '\' and ':' separate folders:
// a POSIX name holding them would be stored, or melted, as another name.
bool NameFitsFormat(std::string_view path) {
#ifdef _WIN32
    (void)path;
    return true;
#else
    const std::string_view name = path.substr(path.rfind('/') + 1);
    return name.find_first_of("\\:") == std::string_view::npos;
#endif
}

// What became of one file of the command line.
struct FileStep {
    bool done = false;       // converted
    bool failed = false;     // something else went wrong that the exit code must say
    bool cancelled = false;  // the user stopped the run at this file
};

FileStep EncryptOne(Codec& codec, ConsoleUi& ui, PvxConsole& console, const std::string& file, int version,
                    PassKeys& keys) {
    if (!NameFitsFormat(file)) {
        ui.ReportError({CodecError::kFailed, text::NameNotEncodable(file)});
        return {};
    }
    // Encode takes this exact name as the placeholder that is never encrypted.
    const std::string source = file == kDummySource ? "./" + file : file;
    // A name no container can give back is refused: kNoClash then, with nothing written.
    const CodecOutcome outcome =
        codec.Encode(source, ChangeExt(source, kContainerExt), CodecResult::kNoClash, version, keys);
    FileStep step;
    step.done = outcome.result == CodecResult::kNoClash && outcome.written;
    step.cancelled = outcome.cancelled;
    if (step.done) console.Out("暗号化：" + file + " → " + outcome.target + "\n");
    // --delete asked for it: a plain file left behind is a failure to report.
    if (const text::UndeletedFiles kept = codec.TakeNotDeleted(); !kept.empty()) {
        ui.ReportError({CodecError::kFailed, text::NotDeleted(kept)});
        step.failed = true;
    }
    return step;
}

FileStep MeltOne(Codec& codec, ConsoleUi& ui, PvxConsole& console, const std::string& file, PassKeys& keys) {
    if (!NameFitsFormat(file)) {
        ui.ReportError({CodecError::kFailed,
                        "ファイル名に「\\」か「:」を含む暗号化ファイルは解凍できません。名前を変えて下さい。\n" +
                            text::Quoted(file)});
        return {};
    }
    std::string plain;
    int version = 0;
    // A strong container refused (wrong password, damage) hands back kNoClash but wrote nothing.
    const CodecOutcome outcome = codec.Melt(file, plain, CodecResult::kNoClash, version, keys);
    FileStep step;
    step.done = outcome.result == CodecResult::kNoClash && outcome.written;
    step.cancelled = outcome.cancelled;
    if (step.done) console.Out("解凍：" + file + " → " + plain + "\n");
    return step;
}

// The containers named, and those in the folders named and beneath them, by path.
std::vector<std::string> ContainersOf(const std::vector<std::string>& paths) {
    namespace fs = std::filesystem;
    std::vector<std::string> containers;
    for (const std::string& path : paths) {
        const fs::path folder(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            containers.push_back(path);  // a file, or a name the conversion reports as missing
            continue;
        }
        std::vector<std::string> found;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            const std::u8string name = it->path().u8string();
            const std::string utf8(reinterpret_cast<const char*>(name.data()), name.size());
            if (it->is_regular_file(error) && IsContainerName(utf8)) found.push_back(utf8);
        }
        std::sort(found.begin(), found.end());
        containers.insert(containers.end(), found.begin(), found.end());
    }
    return containers;
}

// Compatible containers made strong in place; strong ones are counted and left.
int RunUpgrade(const Command& command, PvxConsole& console, const std::string& password) {
    PassKeys keys = PassKeys::FromPassword(password);
    Options options;
    ConsoleUi ui(console);
    ListedFolders files(SystemFiles());  // a big folder is listed once, not scanned per file
    Codec codec(files, ui, options);
    ConsoleProgress progress(console);
    codec.SetProgress(&progress);
    console.CatchInterrupt();

    const std::vector<std::string> containers = ContainersOf(command.files);
    UpgradeTally tally;
    std::size_t next = 0;
    for (; next < containers.size() && !console.Interrupted(); ++next) {
        const std::string& file = containers[next];
        ui.SetFile(file);
        progress.SetFile("変換：", file);
        const Upgraded done = codec.Upgrade(file, keys);
        if (done == Upgraded::kConverted) console.Out("変換：" + file + "\n");
        if (!tally.Count(file, done)) {
            ++next;
            break;
        }
    }
    if (console.Interrupted()) console.Err("pvx: 中止しました。\n");
    tally.left.insert(tally.left.end(), containers.begin() + static_cast<std::ptrdiff_t>(next), containers.end());
    console.Out(tally.Summary() + "\n");
    if (tally.left.empty()) return kPvxOk;
    console.Err("pvx: " + tally.LeftList() + "\n");
    return kPvxFailed;
}

int Run(const Command& command, PvxConsole& console) {
    std::string password;
    WipeOnExit wipePassword(password);
    if (!GetPassword(command, console, password)) return kPvxFailed;
    if (command.verb == Command::kUpgrade) return RunUpgrade(command, console, password);
    // The compatible format keys with the password's code page 932 bytes; the
    // strong one takes any password, and melting may meet either.
    const int version = command.strong ? kStrongVersion : kFormatVersion;
    PassKeys keys = command.Encrypts() ? PassKeys::ToWrite(password, version) : PassKeys::FromPassword(password);
    if (command.Encrypts() && !command.strong && !keys.KeyString()) {
        console.Err("pvx: " + OneLine(PasswordUnusableMessage(password)) + "\n");
        return kPvxFailed;
    }

    Options options;
    options.OnNameClash = kNumberAtClash;
    options.DeleteSourceAfterEncrypt = command.deleteSource;
    options.DeleteContainerAfterMelt = false;  // the compatible format cannot tell a wrong password, so containers stay
    options.ConfirmMeltedName = false;
    ConsoleUi ui(console);
    ListedFolders files(SystemFiles());  // a big folder is listed once, not scanned per file
    Codec codec(files, ui, options);
    ConsoleProgress progress(console);
    codec.SetProgress(&progress);
    console.CatchInterrupt();

    bool failed = false;
    std::vector<std::string> left;  // files left as they were, told at the end
    std::size_t next = 0;
    for (; next < command.files.size(); ++next) {
        const std::string& file = command.files[next];
        if (console.Interrupted()) break;
        ui.SetFile(file);
        progress.SetFile(command.Encrypts() ? "暗号化：" : "解凍：", file);
        const FileStep step = command.Encrypts() ? EncryptOne(codec, ui, console, file, version, keys)
                                              : MeltOne(codec, ui, console, file, keys);
        if (!step.done || step.failed) failed = true;
        if (!step.done) left.push_back(file);
        if (step.cancelled) {
            ++next;
            break;
        }
    }
    const bool interrupted = console.Interrupted();
    // The file in hand is as it was and left no output; those before it are done.
    if (interrupted) console.Err("pvx: 中止しました。\n");
    left.insert(left.end(), command.files.begin() + static_cast<std::ptrdiff_t>(next), command.files.end());
    if (!left.empty()) {
        console.Err("pvx: " + text::NotConverted(command.Encrypts() ? Direction::kEncrypt : Direction::kMelt, left,
                                                    command.files.size()) + "\n");
        failed = true;
    }
    return failed || interrupted ? kPvxFailed : kPvxOk;
}

}  // namespace

int PvxMain(const std::vector<std::string>& args, PvxConsole& console) {
    try {
        const Parsed parsed = Parse(args);
        switch (parsed.what) {
            case Parsed::Help:
                console.Out(kUsage);
                return kPvxOk;
            case Parsed::Usage:
                if (!parsed.error.empty()) console.Err("pvx: " + parsed.error + "\n\n");
                console.Err(kUsage);
                return kPvxUsage;
            case Parsed::Run:
                break;
        }
        return Run(parsed.command, console);
    } catch (const std::exception& e) {
        console.Err(std::string("pvx: ") + std::string(text::kCaptionInternalError) + ": " + e.what() + "\n");
        return kPvxFailed;
    }
}

}  // namespace plivex
