// Encrypting one file into a container beside it, and melting a container back.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_access.h"
#include "codec/strong.h"
#include "codec/texts.h"
#include "options/options_record.h"

namespace plivex {

// What became of a file, which a batch hands on to the next file as carried;
// the overwrite question answers with the same values.
enum class CodecResult : int {
    kNoClash = 0,       // CheckFileExist: nothing of that name exists
    kOverwrite = 1,     // CheckFileExist: Yes
    kSkipped = 2,       // No, or the placeholder source
    kOverwriteAll = 3,  // All yes in force
    kSkipAll = 4,       // All no in force
    kFailed = 5,        // failure or cancel: the batch stops
    kRenamed = 6,       // CheckFileExist: the path argument was changed
};

// What one Encode or Melt did.
struct CodecOutcome {
    CodecResult result = CodecResult::kNoClash;
    // The output is complete on disk. A file whose name no container can hold
    // back, and a strong container that is damaged or opened with a wrong
    // password, are skipped and hand the carried result back, as if all went well.
    bool written = false;
    bool cancelled = false;  // stopped by its progress
    // A melt found the password wrong (a strong container whose first chunk
    // does not open, or a name the user rejected) and wrote nothing.
    bool wrongPassword = false;
    // The output gone for, after the clash rules (a numbered name); empty
    // when the file ended before its output was settled.
    std::string target;
};

inline constexpr std::string_view kDummySource = "($Dummy)";
inline constexpr std::string_view kContainerExt = "pvx";
// Whether the file-name part's extension (from its last dot) is ".pvx", in any case.
bool IsContainerName(std::string_view path);
inline constexpr int kFormatVersion = 1;
inline constexpr std::size_t kMaxStoredName = 255;
inline constexpr std::uint64_t kMaxContainerSize = 0xFFFFFFFFull;  // sizes are 32-bit in the format

// Why the codec could not go on with a file; the front end words the heading.
enum class CodecError {
    kFailed,      // the message says it all
    kOpenFailed,  // a file could not be opened, or its output not made
    kCannotMelt,  // not a container of ours, or its file cannot be made from it
    kInternal,    // a caller's mistake
};
// The message holds the file concerned and, where the system gave one, its reason.
struct CodecReport {
    CodecError kind = CodecError::kFailed;
    std::string message;
};

// What the user said about deleting a container once its file was melted.
enum class DeleteAnswer { kDelete, kKeep, kStop };

// The questions and reports of the codec, each named for what it asks.
class CodecUi {
public:
    virtual ~CodecUi() = default;
    virtual void ReportError(const CodecReport& report) = 0;
    // Whether the melted file is rightly called plain. unlike: the name is
    // unlike the container's, a sign of a wrong password.
    virtual bool ConfirmMeltedName(const std::string& plain, const std::string& container, bool unlike) = 0;
    // Whether to delete the container whose file melted under a name unlike its own.
    virtual DeleteAnswer AskDeleteUnlikeContainer(const std::string& container) = 0;
    // Whether to delete the container whose melted file no application opens.
    virtual DeleteAnswer AskDeleteUnassociated(const std::string& plain, const std::string& container) = 0;
    // Asks what to do about an existing file at path: kOverwrite up to kRenamed.
    // On kRenamed, path holds the new full path.
    virtual CodecResult AskOverwrite(std::string& path) = 0;
    // Whether the shell associates an application with the file's type.
    virtual bool HasAssociation(const std::string& path) = 0;
    // Whether to convert a compatible container to the strong format though
    // the name inside is unlike its own, a sign of a wrong password.
    virtual bool ConfirmUpgradeUnlike(const std::string& container, const std::string& name) = 0;
};

// What became of one container given to Codec::Upgrade.
enum class Upgraded {
    kConverted,      // now in the strong format under its own name
    kAlreadyStrong,  // left as it was, nothing to do
    kLeft,           // left as it was: refused, failed (told) or declined by the user
    kCancelled,      // stopped by its progress; left as it was
};

// What a pass of conversions did, container by container, and its words at the end.
struct UpgradeTally {
    std::vector<std::string> converted;
    std::vector<std::string> left;  // the pass's caller adds those never begun
    std::size_t alreadyStrong = 0;
    // Counts what became of one container; false when the pass stops there.
    bool Count(const std::string& container, Upgraded done);
    // How many were converted and, where it applies, how many were strong already.
    std::string Summary() const;
    // The end list of those left; strong ones were never to be converted and
    // count on neither side.
    std::string LeftList() const;
};

// The words of the melted-name question.
std::string MeltedNameQuestion(const std::string& plain, const std::string& container, bool unlike);

// Told how the conversion of one file advances, between its steps; a false
// answer stops it (the user cancelled): the partial output goes, the source
// stays as it was, and the file ends as a failure without a message.
//
// Threads: a conversion runs on the caller's thread (the window's, in the
// program), and so do Advance and every question and report of the CodecUi.
// Only the two steps handed to Await and AwaitLong may run on another thread,
// while the caller's thread keeps its window answering: the flush of the
// finished output, and the stretch of a password. (Besides, the writes of a
// large output go to the disk from a writer thread of the output's own,
// PipelinedOutput, which touches nothing but that file and the buffer handed
// to it, and has ended before the flush begins.) Such a step touches only
// what it was given (the output file, the password and its salt) and the file
// layer, whose last error is per thread, so the codec takes a failed flush's
// reason on the thread that failed. The step is waited for before anything
// else of the conversion goes on; a Cancel meanwhile is acknowledged at once
// and takes effect when the step returns.
class Progress {
public:
    virtual ~Progress() = default;
    virtual bool Advance(std::uint64_t done, std::uint64_t total) = 0;
    // Runs a step that cannot be cut short (flushing a large file to the disk)
    // and returns its result; a caller with a window to keep alive may run it
    // on another thread meanwhile.
    virtual bool Await(const std::function<bool()>& step) { return step(); }
    // The same for a step that lasts whatever the file's size (stretching a password).
    virtual bool AwaitLong(const std::function<bool()>& step) { return step(); }
};

// The one rule of stored names, applied by the reader to every container and
// by the writer before it stores a name: the name that these plain stored
// bytes (code page 932 for the compatible format, UTF-8 for the strong one)
// give back, cut to their file-name part. Outside input: nullopt unless it is
// a name Windows can and should create beside the container.
std::optional<std::string> NameFromStored(std::string_view bytes, int version);

// The plain file's name held by a compatible container: the stored bytes (as
// found after the length byte, still transformed) melted with the key string
// from position 2, then read by NameFromStored.
std::optional<std::string> StoredNameOf(std::string_view stored, std::string_view key);

// The plain file's name held by a strong container (the UTF-8 bytes after the
// name length), read by NameFromStored.
std::optional<std::string> StrongStoredNameOf(std::string_view stored);

// Why a file's name cannot be stored so that it melts back under itself.
enum class NameRefusal { kNone, kNotEncodable, kTooLong, kUnusable };
// The bytes a container of this version stores for the file name (UTF-8),
// before the transform; nullopt with why when the reader would not give the
// same name back.
std::optional<std::string> StoredBytesFor(std::string_view name, int version, NameRefusal& why);

// The message for a password that code page 932 cannot carry: which
// characters, and that the strong format takes any.
std::string PasswordUnusableMessage(std::string_view password);

// What becomes of a container once its file is melted.
enum class ContainerFate { kKeep, kDelete, kAsk };
// By the options; associated tells whether an application opens the melted
// file's type, and is asked only where that decides. A strong container proved
// its password, so the questions that guard against a wrong one are not asked.
ContainerFate FateOfContainer(const Options& options, const std::function<bool()>& associated,
                              int version = kFormatVersion);

class Codec {
public:
    // options is read at every call; callers hand it the record that rules
    // for as long as the codec works (a batch's snapshot of the options in force).
    Codec(FileAccess& files, CodecUi& ui, const Options& options) : files_(files), ui_(ui), options_(options) {}

    // The compatible format under a key string.
    CodecOutcome Encode(const std::string& source, std::string container, CodecResult carried, int version,
                        std::string_view key);
    CodecOutcome Melt(const std::string& container, std::string& plain, CodecResult carried, int& version,
                      std::string_view key);
    // Either format under the pass's password; version says which one to write.
    CodecOutcome Encode(const std::string& source, std::string container, CodecResult carried, int version,
                        PassKeys& keys);
    // used, when given, receives the key that melted the file (for writing it again).
    CodecOutcome Melt(const std::string& container, std::string& plain, CodecResult carried, int& version,
                      PassKeys& keys, ContainerKey* used = nullptr);
    // Converts a compatible container into the strong format in one step, its
    // plain bytes never written to a file: melted in memory, sealed into a
    // temporary file beside it that then takes its name. The stored name is
    // the melted one. keys holds the password (FromPassword): the pass's write
    // key is drawn once. A name unlike the container's is put to the user.
    Upgraded Upgrade(const std::string& container, PassKeys& keys);

    // The caller asks for the password again: a wrong one is then not told by
    // a message and does not end the batch (the carried state is handed back).
    void SetAskAgain(bool askAgain) { askAgain_ = askAgain; }
    CodecResult CheckFileExist(std::string& path, CodecResult carried);

    // The sources the options said to delete after their conversion but that
    // could not be deleted (read-only, held by another program), since the
    // last call; the caller tells the user once for many files.
    text::UndeletedFiles TakeNotDeleted() { return std::exchange(notDeleted_, {}); }

    // Told between the steps of every conversion; null for none.
    void SetProgress(Progress* progress) { progress_ = progress; }

    // Where salts come from (the system's generator unless a test says otherwise),
    // and how often the strong format stretches the password it writes with.
    void SetRandom(std::function<bool(void*, std::size_t)> random) { random_ = std::move(random); }
    void SetStrongIterations(std::uint32_t iterations) { strongIterations_ = iterations; }
    // Whether a compatible container melted under a name unlike its own is put
    // to the user (the name question, the deletion question): the program
    // asks; the command-line tool has nobody to ask and always keeps containers.
    void SetAskUnlikeNames(bool ask) { askUnlikeNames_ = ask; }

    // Bytes read and written per step; the memory a conversion needs.
    static constexpr std::size_t kChunkSize = 256 << 10;
    // From this size an output is written from a thread of its own
    // (PipelinedOutput), one more step's buffer. Below it the disk has nothing
    // to overlap: the native write-back starts on whole 8 MiB ranges, and the
    // whole of a smaller output is written by its one flush.
    static constexpr std::uint64_t kPipelineFrom = 8u << 20;

private:
    void Report(CodecError kind, std::string message);
    void RemoveSource(const std::string& path, Direction of);
    std::string WithReason(std::string text) const;
    std::unique_ptr<InputFile> OpenInput(const std::string& path, std::uint64_t& size);
    // Why filling an output stopped.
    struct Fault {
        enum Kind { kMessage, kCancelled, kDamaged } kind = kMessage;
        std::string message;
        bool systemFailed = true;  // the system's reason goes with the message
        // The reason, when it was taken on the thread that failed (the file
        // layer's last error is per thread); else it is taken here.
        std::optional<std::string> reason;
    };
    enum class Produced { kDone, kFailed, kDamaged };
    // How far a melted name can be trusted: proven by the password (the strong
    // format), unverified (the compatible format cannot tell a wrong
    // password), or unlike the container's, the sign of a wrong one.
    enum class StoredName { kProven, kUnverified, kUnlike };
    // size: the bytes fill will write, roughly.
    Produced Produce(const std::string& source, const std::string& target, bool replace, Direction direction,
                     std::uint64_t size, const std::function<std::optional<Fault>(OutputFile&)>& fill);
    bool Advanced(std::uint64_t done, std::uint64_t total);
    bool Random(void* out, std::size_t size);
    LongStep Long();
    // What the file's conversion found out on the way, gathered into its outcome.
    void Begin();
    CodecOutcome Outcome(CodecResult result) const;
    CodecResult EncodeFile(const std::string& source, std::string& container, CodecResult carried, int version,
                           PassKeys& keys);
    bool ReadHead(InputFile& in, std::uint64_t size, const std::string& container, unsigned char (&head)[2]);
    bool ReadStoredName(InputFile& in, std::uint64_t size, std::size_t n, const std::string& container,
                        std::string& stored);
    bool ReadOrTell(InputFile& in, unsigned char* buffer, std::size_t size, const std::string& container);
    CodecResult MeltFile(const std::string& container, std::string& plain, CodecResult carried, int& version,
                         PassKeys& keys, ContainerKey* used);
    // Both true when the output was written.
    bool Convert(InputFile& in, std::uint64_t count, std::uint32_t position, Direction direction, std::string_view key,
                 const std::string& header, const std::string& sourcePath, const std::string& target, bool replace);
    const ContainerKey* StrongWriteKey(PassKeys& keys, const std::string& source);
    bool EncodeStrong(InputFile& in, std::uint64_t size, const std::string& name, const ContainerKey& key,
                      const std::string& source, const std::string& target, bool replace);
    CodecResult MeltStrong(std::unique_ptr<InputFile>& input, std::uint64_t size, const unsigned char (&first)[2],
                           const std::string& container, std::string& plain, CodecResult carried, PassKeys& keys,
                           ContainerKey* used);
    std::optional<Fault> WriteStrongBody(InputFile& in, OutputFile& out, strong::Chunks& chunks,
                                         const strong::Framing& framing, std::span<const unsigned char> restOfFirst,
                                         std::uint64_t bodySize, const std::string& container,
                                         const std::string& plain);
    std::optional<CodecResult> SettleMeltTarget(const std::string& container, const std::optional<std::string>& name,
                                                StoredName trust, CodecResult carried, std::string& plain,
                                                CodecResult& answer);
    CodecResult Dispose(const std::string& container, const std::string& plain, int version, CodecResult result,
                        StoredName trust);

    FileAccess& files_;
    CodecUi& ui_;
    const Options& options_;
    text::UndeletedFiles notDeleted_;
    Progress* progress_ = nullptr;
    bool cancelled_ = false;
    bool written_ = false;
    std::string target_;
    std::function<bool(void*, std::size_t)> random_;
    std::uint32_t strongIterations_ = strong::kWriteIterations;
    bool askUnlikeNames_ = false;
    bool askAgain_ = false;
    bool wrongPassword_ = false;
};

}  // namespace plivex
