#include "codec/codec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/ascii.h"
#include "base/paths.h"
#include "base/pipelined_output.h"
#include "base/secret.h"
#include "codec/cipher.h"
#include "codec/names.h"
#include "codec/texts.h"
#include "sys/cp932.h"
#include "sys/crypto.h"

namespace plivex {

using enum CodecResult;

namespace {

enum class ReadResult { kRead, kEnded, kFailed };

// Reads exactly size bytes; a file that ends early is no failure of the system.
ReadResult ReadExactly(InputFile& in, unsigned char* buffer, std::size_t size) {
    while (size > 0) {
        const std::int64_t got = in.Read(buffer, size);
        if (got < 0) return ReadResult::kFailed;
        if (got == 0) return ReadResult::kEnded;
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return ReadResult::kRead;
}

// A name typed in the overwrite question may be an existing file that the user
// agreed to overwrite; a numbered name was free and must never replace one.
bool ReplacesExisting(CodecResult answer, std::int32_t fOverlap) {
    return answer == kOverwrite || answer == kOverwriteAll || (answer == kRenamed && fOverlap == kAskAtClash);
}

}  // namespace

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = cp << 6 | (t & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

std::optional<std::string> NameFromStored(std::string_view bytes, int version) {
    std::optional<std::string> name;
    if (version == kStrongVersion) {
        if (IsUtf8(bytes)) name = FileNamePart(bytes);
    } else {
        name = Cp932ToUtf8(StoredFileNamePart(bytes));
    }
    if (!name || CheckFileName(*name) != NameProblem::None) return std::nullopt;
    return name;
}

std::optional<std::string> StoredNameOf(std::string_view stored, std::string_view key) {
    Secret bytes(stored);  // the melted name is the file's, no less private than its content
    std::uint32_t position = 2;
    MeltBytes(bytes.data(), bytes.data(), static_cast<std::int32_t>(stored.size()), position, key);
    return NameFromStored(bytes.str(), kFormatVersion);
}

std::optional<std::string> StrongStoredNameOf(std::string_view stored) {
    return NameFromStored(stored, kStrongVersion);
}

std::optional<std::string> StoredBytesFor(std::string_view name, int version, NameRefusal& why) {
    const bool strongFormat = version == kStrongVersion;
    std::optional<std::string> bytes = strongFormat ? std::optional<std::string>(name) : Utf8ToCp932(name);
    why = NameRefusal::kNone;
    if (!bytes) why = NameRefusal::kNotEncodable;
    else if (bytes->size() > (strongFormat ? strong::kMaxName : kMaxStoredName)) why = NameRefusal::kTooLong;
    else if (NameFromStored(*bytes, version) != name) why = NameRefusal::kUnusable;
    if (why != NameRefusal::kNone) return std::nullopt;
    return bytes;
}

std::string PasswordUnusableMessage(std::string_view password) {
    // Each character on its own: the ones without a code page 932 form, each once.
    std::string unusable;
    for (std::size_t i = 0; i < password.size();) {
        std::size_t n = 1;
        while (i + n < password.size() && (static_cast<unsigned char>(password[i + n]) & 0xC0) == 0x80) ++n;
        const std::string_view ch = password.substr(i, n);
        std::optional<std::string> bytes = Utf8ToCp932(ch);
        if (!bytes && unusable.find(ch) == std::string::npos) unusable += ch;
        if (bytes) SecureWipe(*bytes);
        i += n;
    }
    std::string message(text::kPasswordUnusableChar);
    message += "\n使用できない文字：" + unusable + "\n新しい形式（AES-256）ならどの文字も使えます。";
    SecureWipe(unusable);
    return message;
}

ContainerFate FateOfContainer(const Options& options, const std::function<bool()>& associated, int version) {
    if (!options.DeleteContainerAfterMelt) return ContainerFate::kKeep;
    if (version == kStrongVersion) return ContainerFate::kDelete;
    if (options.AskBeforeDeletingUnassociated) return associated() ? ContainerFate::kDelete : ContainerFate::kAsk;
    // Nobody saw the name: a type that nothing opens is the last sign of a
    // wrong password, and then the container holds the only good copy.
    if (!options.ConfirmMeltedName) return associated() ? ContainerFate::kDelete : ContainerFate::kKeep;
    return ContainerFate::kDelete;
}

void Codec::Report(CodecError kind, std::string message) { ui_.ReportError({kind, std::move(message)}); }

bool IsContainerName(std::string_view path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string_view ext = std::string_view(name).substr(dot + 1);
    if (ext.size() != kContainerExt.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i)
        if (AsciiLower(ext[i]) != kContainerExt[i]) return false;
    return true;
}

std::string MeltedNameQuestion(const std::string& plain, const std::string& container, bool unlike) {
    if (!unlike) return text::ConfirmMeltName(plain);
    return text::ConfirmMeltName(plain) + "\n" + text::NameUnlikeContainer(StemOf(container));
}

void Codec::RemoveSource(const std::string& path, Direction of) {
    if (files_.Remove(path)) return;
    const std::string reason = files_.LastError();  // before another call of the file system
    notDeleted_.paths.push_back(path);
    notDeleted_.of = of;
    if (files_.IsReadOnly(path)) notDeleted_.readOnly = true;
    if (!reason.empty() && std::find(notDeleted_.reasons.begin(), notDeleted_.reasons.end(), reason) ==
                               notDeleted_.reasons.end())
        notDeleted_.reasons.push_back(reason);
}

// The message of a failed file operation with the system's reason, where it
// gave one, as its last line: "オープン失敗" alone does not say that another
// program holds the file.
std::string Codec::WithReason(std::string text) const {
    const std::string reason = files_.LastError();
    if (!reason.empty()) text += "\n" + reason;
    return text;
}

// Fills a temporary file beside target, then gives it target's name and the
// permissions of source. On any failure the temporary file is removed (or, if
// it cannot be, named) and the message shown.
Codec::Produced Codec::Produce(const std::string& source, const std::string& target, bool replace, Direction direction,
                               std::uint64_t size, const std::function<std::optional<Fault>(OutputFile&)>& fill) {
    std::string tempPath;
    std::unique_ptr<OutputFile> out = files_.CreateTemp(target, tempPath, source);
    if (!out) {
        Report(CodecError::kOpenFailed, WithReason(target));
        return Produced::kFailed;
    }
    PipelinedOutput* pipeline = nullptr;
    if (auto gate = size >= kPipelineFrom ? files_.WriteBehindGate() : nullptr) {
        auto piped = std::make_unique<PipelinedOutput>(std::move(out), files_, std::move(gate));
        pipeline = piped.get();
        out = std::move(piped);
    }
    // A write that failed on the writer thread left its reason there.
    const auto writerReason = [&]() -> std::optional<std::string> {
        if (pipeline && pipeline->WriterFailed()) return pipeline->WriterReason();
        return std::nullopt;
    };
    // Nothing of a conversion that did not end remains. The reason is taken
    // before the clean-up, whose own calls come after the failure.
    auto fail = [&](Fault fault) {
        if (fault.systemFailed && !fault.reason) fault.reason = writerReason();
        // What stays safe, before the system's reason: the user must not fear for the original.
        std::string message = fault.message;
        if (fault.kind == Fault::kMessage)
            message += "\n" + std::string(direction == Direction::kEncrypt ? text::kSourceKept : text::kContainerKept);
        std::string shown = !fault.systemFailed ? message
                            : fault.reason   ? (fault.reason->empty() ? message : message + "\n" + *fault.reason)
                                             : WithReason(message);
        out.reset();
        // It may hold plain bytes: the user must know where.
        // (The system may have taken it away itself as its handle closed.)
        const std::string leftover = files_.Remove(tempPath) || !files_.Exists(tempPath)
                                         ? std::string()
                                         : WithReason(text::TempNotRemoved(tempPath));
        if (fault.kind == Fault::kCancelled) {
            cancelled_ = true;
            if (!leftover.empty()) Report(CodecError::kFailed, leftover);
            return Produced::kFailed;
        }
        if (!leftover.empty()) shown += "\n" + leftover;
        Report(CodecError::kFailed, shown);
        return fault.kind == Fault::kDamaged ? Produced::kDamaged : Produced::kFailed;
    };
    if (const std::optional<Fault> fault = fill(*out)) return fail(*fault);
    std::string finishReason;
    const std::function<bool()> finish = [&] {
        if (out->Finish()) return true;
        finishReason = writerReason().value_or(files_.LastError());  // on the thread the flush ran on
        return false;
    };
    if (!(progress_ ? progress_->Await(finish) : finish()))
        return fail({Fault::kMessage, text::WriteFailed(target), true, finishReason});
    out.reset();
    if (!files_.Commit(tempPath, target, replace)) return fail({Fault::kMessage, text::WriteFailed(target)});
    return Produced::kDone;
}

bool Codec::Random(void* out, std::size_t size) { return random_ ? random_(out, size) : crypto::Random(out, size); }

// False when the user stopped the conversion.
bool Codec::Advanced(std::uint64_t done, std::uint64_t total) { return !progress_ || progress_->Advance(done, total); }

// The stretching runs where the progress runs long steps, off the window's thread.
LongStep Codec::Long() {
    if (!progress_) return nullptr;
    return [this](const std::function<bool()>& step) { return progress_->AwaitLong(step); };
}

// Writes header followed by count transformed bytes of in.
bool Codec::Convert(InputFile& in, std::uint64_t count, std::uint32_t position, Direction direction, std::string_view key,
                    const std::string& header, const std::string& sourcePath, const std::string& target,
                    bool replace) {
    const Transform transform(key);
    WipedBytes chunk(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunkSize)));  // plain bytes
    const Produced produced = Produce(sourcePath, target, replace, direction, header.size() + count,
                                      [&](OutputFile& out) -> std::optional<Fault> {
        if (!header.empty() && !out.Write(header.data(), header.size()))
            return Fault{Fault::kMessage, text::WriteFailed(target)};
        for (std::uint64_t left = count; left > 0;) {
            const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            if (const ReadResult r = ReadExactly(in, chunk.data(), step); r != ReadResult::kRead)
                return Fault{Fault::kMessage, text::ReadFailed(sourcePath), r == ReadResult::kFailed};
            if (direction == Direction::kEncrypt) transform.Encode(chunk.data(), chunk.data(), step, position);
            else transform.Melt(chunk.data(), chunk.data(), step, position);
            if (!out.WriteHanded(chunk, step)) return Fault{Fault::kMessage, text::WriteFailed(target)};
            left -= step;
            if (!Advanced(count - left, count)) return Fault{Fault::kCancelled};
        }
        return std::nullopt;
    });
    return produced == Produced::kDone;
}

// Writes the strong container of in under key: header, then the name and the
// file's bytes in sealed chunks, a few chunks to a read and a write.
// The key this pass writes strong containers with, told when there is none:
// the first file of a pass draws the pass salt and stretches the password.
const ContainerKey* Codec::StrongWriteKey(PassKeys& keys, const std::string& source) {
    PassKeys::WriteFault fault;
    const ContainerKey* key =
        keys.ForWriting([this](void* out, std::size_t size) { return Random(out, size); }, strongIterations_, Long(),
                        fault);
    if (!key && fault == PassKeys::WriteFault::kNoPassword) {
        // A key string alone cannot write this format: a caller's mistake.
        Report(CodecError::kInternal, "Encode()");
    } else if (!key) {
        Report(CodecError::kFailed,
               fault == PassKeys::WriteFault::kRandom ? text::RandomFailed(source) : text::CryptoFailed(source));
    }
    return key;
}

bool Codec::EncodeStrong(InputFile& in, std::uint64_t size, const std::string& name, const ContainerKey& key,
                         const std::string& source, const std::string& target, bool replace) {
    strong::Header header;
    header.iterations = key.iterations;
    header.passSalt = key.passSalt;
    if (!Random(header.fileSalt.data(), header.fileSalt.size())) {
        Report(CodecError::kFailed, text::RandomFailed(source));
        return false;
    }
    const std::optional<Secret> fileKey = strong::FileKey(key.master, header.fileSalt);
    std::optional<strong::Chunks> chunks;
    if (fileKey) chunks.emplace(*fileKey, header);
    if (!chunks || !chunks->Ready()) {
        Report(CodecError::kFailed, text::CryptoFailed(source));
        return false;
    }
    const std::string prefix = strong::StreamPrefix(name);
    const std::uint64_t total = prefix.size() + size;
    constexpr std::size_t kPerStep = kChunkSize / strong::kChunk;
    WipedBytes plain(static_cast<std::size_t>(std::min<std::uint64_t>(total, kChunkSize)));
    WipedBytes sealed(plain.size() + kPerStep * strong::kTagSize);
    const Produced produced = Produce(source, target, replace, Direction::kEncrypt, total,
                                      [&](OutputFile& out) -> std::optional<Fault> {
        const auto head = strong::HeaderBytes(header);
        if (!out.Write(head.data(), head.size())) return Fault{Fault::kMessage, text::WriteFailed(target)};
        std::uint64_t done = 0;
        std::uint32_t index = 0;
        while (done < total) {
            const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(total - done, plain.size()));
            std::size_t filled = 0;
            if (done < prefix.size()) {
                filled = std::min<std::size_t>(step, prefix.size() - static_cast<std::size_t>(done));
                std::memcpy(plain.data(), prefix.data() + done, filled);
            }
            if (const ReadResult r = ReadExactly(in, plain.data() + filled, step - filled); r != ReadResult::kRead)
                return Fault{Fault::kMessage, text::ReadFailed(source), r == ReadResult::kFailed};
            std::size_t written = 0;
            for (std::size_t at = 0; at < step; at += strong::kChunk, ++index) {
                const std::size_t n = std::min(strong::kChunk, step - at);
                const bool last = done + at + n == total;
                if (!chunks->Seal(index, last, plain.data() + at, n, sealed.data() + written))
                    return Fault{Fault::kMessage, text::CryptoFailed(source), false};
                written += n + strong::kTagSize;
            }
            if (!out.WriteHanded(sealed, written)) return Fault{Fault::kMessage, text::WriteFailed(target)};
            done += step;
            if (!Advanced(done, total)) return Fault{Fault::kCancelled};
        }
        return std::nullopt;
    });
    return produced == Produced::kDone;
}

// Opens the file to convert and takes its size; on failure the message is shown and null returned.
std::unique_ptr<InputFile> Codec::OpenInput(const std::string& path, std::uint64_t& size) {
    std::unique_ptr<InputFile> in = files_.OpenRead(path);
    if (!in) {
        Report(CodecError::kOpenFailed, WithReason(path));
        return nullptr;
    }
    const std::optional<std::uint64_t> known = in->Size();
    if (!known) {
        Report(CodecError::kFailed, WithReason(std::string(text::kSizeFailed)));
        return nullptr;
    }
    size = *known;
    return in;
}

void Codec::Begin() {
    cancelled_ = false;
    written_ = false;
    wrongPassword_ = false;
    target_.clear();
}

CodecOutcome Codec::Outcome(CodecResult result) const {
    return {result, written_, cancelled_, wrongPassword_, target_};
}

CodecOutcome Codec::Encode(const std::string& source, std::string container, CodecResult carried, int version,
                           std::string_view key) {
    PassKeys keys = PassKeys::FromKeyString(key);
    return Encode(source, std::move(container), carried, version, keys);
}

CodecOutcome Codec::Encode(const std::string& source, std::string container, CodecResult carried, int version,
                           PassKeys& keys) {
    Begin();
    const CodecResult result = EncodeFile(source, container, carried, version, keys);
    return Outcome(result);
}

CodecResult Codec::EncodeFile(const std::string& source, std::string& container, CodecResult carried, int version,
                              PassKeys& keys) {
    if (source == kDummySource) return kSkipped;

    std::uint64_t size = 0;
    std::unique_ptr<InputFile> in = OpenInput(source, size);
    if (!in) return kFailed;
    // Limits of the format, checked before anything is asked or written. A
    // name the reader would refuse, or give back as another, is never stored:
    // that file is skipped and the batch goes on.
    const bool strongFormat = version == kStrongVersion;
    const std::string fileName = FileNamePart(source);
    NameRefusal refusal;
    const std::optional<std::string> name = StoredBytesFor(fileName, version, refusal);
    if (!name) {
        Report(CodecError::kFailed, refusal == NameRefusal::kNotEncodable ? text::NameNotEncodable(source)
                                    : refusal == NameRefusal::kTooLong    ? text::NameTooLong(source)
                                                                          : text::NameUnusable(source));
        return carried;
    }
    const std::uint64_t streamed = 2 + name->size() + size;
    if (strongFormat ? (streamed + strong::kChunk - 1) / strong::kChunk > strong::kMaxChunks
                     : streamed > kMaxContainerSize) {
        // The compatible format's sizes are 32-bit; the strong one has room.
        Report(CodecError::kFailed, strongFormat ? text::FileTooLarge(source)
                                                 : text::FileTooLarge(source) + "\n" + std::string(text::kStrongHasNoLimit));
        return kFailed;
    }

    const CodecResult answer = CheckFileExist(container, carried);
    if (answer == kSkipped || answer == kSkipAll || answer == kFailed) return answer;
    const CodecResult result = answer == kOverwriteAll ? kOverwriteAll : carried;
    target_ = container;

    // A container to be replaced is probed before anything is converted (held
    // open, read-only). A new one needs no probe: the temporary file made
    // beside it first fails the same way, with the same message, and its name
    // is the source's, which exists.
    const bool replace = ReplacesExisting(answer, options_.OnNameClash);
    if (replace && !files_.CanCreate(container)) {
        Report(CodecError::kOpenFailed, WithReason(container));
        return kFailed;
    }
    if (strongFormat) {
        const ContainerKey* key = StrongWriteKey(keys, source);
        if (!key) return kFailed;
        if (!EncodeStrong(*in, size, *name, *key, source, container, replace)) return kFailed;
    } else {
        if (version != kFormatVersion || !keys.KeyString()) {
            Report(CodecError::kInternal, "Encode()");
            return kFailed;
        }
        const std::string_view key = keys.KeyString()->str();
        std::string header(2 + name->size(), '\0');
        header[0] = static_cast<char>(kFormatVersion);
        header[1] = static_cast<char>(name->size());
        std::uint32_t position = 2;
        EncodeBytes(name->data(), header.data() + 2, static_cast<std::int32_t>(name->size()), position, key);
        if (!Convert(*in, size, position, Direction::kEncrypt, key, header, source, container, replace)) return kFailed;
    }

    written_ = true;
    in.reset();  // the source is closed before it may be deleted
    if (options_.DeleteSourceAfterEncrypt) RemoveSource(source, Direction::kEncrypt);
    return result;
}

CodecOutcome Codec::Melt(const std::string& container, std::string& plain, CodecResult carried, int& version,
                         std::string_view key) {
    PassKeys keys = PassKeys::FromKeyString(key);
    return Melt(container, plain, carried, version, keys);
}

CodecOutcome Codec::Melt(const std::string& container, std::string& plain, CodecResult carried, int& version,
                         PassKeys& keys, ContainerKey* used) {
    Begin();
    const CodecResult result = MeltFile(container, plain, carried, version, keys, used);
    return Outcome(result);
}

// A container too short for its head, or one that cannot be read, is told
// and refused; the head is the version and the compatible format's name length.
bool Codec::ReadHead(InputFile& in, std::uint64_t size, const std::string& container, unsigned char (&head)[2]) {
    if (size < 2) {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return false;
    }
    return ReadOrTell(in, head, 2, container);
}

// The compatible format's stored name, the n bytes after the head; a container
// too short for it is not ours.
bool Codec::ReadStoredName(InputFile& in, std::uint64_t size, std::size_t n, const std::string& container,
                           std::string& stored) {
    if (size < 2 + n) {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return false;
    }
    stored.assign(n, '\0');
    return ReadOrTell(in, reinterpret_cast<unsigned char*>(stored.data()), n, container);
}

// Reads exactly size bytes, or tells why not: the system's reason when it
// failed, none when the file ended early.
bool Codec::ReadOrTell(InputFile& in, unsigned char* buffer, std::size_t size, const std::string& container) {
    const ReadResult r = ReadExactly(in, buffer, size);
    if (r == ReadResult::kRead) return true;
    const std::string message = text::ReadFailed(container);
    Report(CodecError::kFailed, r == ReadResult::kFailed ? WithReason(message) : message);
    return false;
}

CodecResult Codec::MeltFile(const std::string& container, std::string& plain, CodecResult carried, int& version,
                            PassKeys& keys, ContainerKey* used) {
    std::uint64_t size = 0;
    std::unique_ptr<InputFile> in = OpenInput(container, size);
    if (!in) return kFailed;
    unsigned char head[2];
    if (!ReadHead(*in, size, container, head)) return kFailed;
    version = head[0];
    if (version == kStrongVersion) return MeltStrong(in, size, head, container, plain, carried, keys, used);
    // The strong format has no such limit.
    if (size > kMaxContainerSize) {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return kFailed;
    }
    if (!keys.KeyString()) {
        // Its key string needs the password in code page 932; a substitute would melt garbage.
        Report(CodecError::kFailed, text::PasswordNotForOldFormat(container));
        return carried;
    }
    const std::string_view key = keys.KeyString()->str();
    const std::size_t n = head[1];
    std::string stored;
    if (!ReadStoredName(*in, size, n, container, stored)) return kFailed;
    // Only a plain file name beside the container is accepted.
    const std::optional<std::string> name = StoredNameOf(stored, key);
    // A name unlike the container's is the sign of a wrong password the format cannot give.
    const StoredName trust =
        name && askUnlikeNames_ && !StemsAgree(*name, container) ? StoredName::kUnlike : StoredName::kUnverified;
    CodecResult answer = kNoClash;
    if (const std::optional<CodecResult> ended = SettleMeltTarget(container, name, trust, carried, plain, answer))
        return *ended;
    const CodecResult result = answer == kOverwriteAll ? kOverwriteAll : carried;
    if (version != kFormatVersion) {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return kFailed;
    }
    if (!Convert(*in, size - 2 - n, static_cast<std::uint32_t>(2 + n), Direction::kMelt, key, std::string(), container, plain,
                 ReplacesExisting(answer, options_.OnNameClash)))
        return kFailed;
    written_ = true;
    if (used) *used = keys.V1Key();

    in.reset();  // the container is closed before it may be deleted
    return Dispose(container, plain, kFormatVersion, result, trust);
}

// The melted file's name beside the container, after the clash rules, and
// whether it can be created. The name question guards against a wrong
// password, where the format cannot tell one. The result to end with, or
// nullopt to go on, with answer the clash rule's answer.
std::optional<CodecResult> Codec::SettleMeltTarget(const std::string& container,
                                                   const std::optional<std::string>& name, StoredName trust,
                                                   CodecResult carried, std::string& plain, CodecResult& answer) {
    plain = FolderPart(container) + name.value_or(std::string());
    if (!name) {
        Report(CodecError::kCannotMelt, std::string(text::kCreateFailed));
        return kFailed;
    }
    answer = CheckFileExist(plain, carried);
    if (answer == kSkipped || answer == kSkipAll || answer == kFailed) return answer;
    target_ = plain;
    // Asked whatever the options say when the name does not look right.
    const bool unlike = trust == StoredName::kUnlike;
    if (trust != StoredName::kProven && (options_.ConfirmMeltedName || unlike) &&
        !ui_.ConfirmMeltedName(plain, container, unlike)) {
        wrongPassword_ = true;
        if (askAgain_) return carried;
        Report(CodecError::kFailed, std::string(text::kWrongPassword));
        return kFailed;
    }
    if (!files_.CanCreate(plain)) {
        Report(CodecError::kCannotMelt, WithReason(std::string(text::kCreateFailed)));
        return kFailed;
    }
    return std::nullopt;
}

// The container's fate once its file is melted; result unless the user cancels.
// After a melt whose name was unlike the container's, the container goes only
// when the user says so.
CodecResult Codec::Dispose(const std::string& container, const std::string& plain, int version, CodecResult result,
                           StoredName trust) {
    DeleteAnswer reply = DeleteAnswer::kDelete;
    switch (FateOfContainer(options_, [&] { return ui_.HasAssociation(plain); }, version)) {
        case ContainerFate::kKeep:
            return result;
        case ContainerFate::kDelete:
            if (trust == StoredName::kUnlike) reply = ui_.AskDeleteUnlikeContainer(container);
            break;
        case ContainerFate::kAsk:
            reply = ui_.AskDeleteUnassociated(plain, container);
            break;
    }
    if (reply == DeleteAnswer::kStop) return kFailed;
    if (reply == DeleteAnswer::kDelete) RemoveSource(container, Direction::kMelt);
    return result;
}

// The strong format: the header is checked and the first chunk authenticated
// before anything is asked, so a wrong password or a damaged container is told
// at once; a later chunk that fails removes what was written. Either way the
// file is skipped and the batch goes on.
CodecResult Codec::MeltStrong(std::unique_ptr<InputFile>& input, std::uint64_t size, const unsigned char (&first)[2],
                              const std::string& container, std::string& plain, CodecResult carried, PassKeys& keys,
                              ContainerKey* used) {
    InputFile& in = *input;
    auto unknown = [&] {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return carried;
    };
    auto damaged = [&] {
        Report(CodecError::kFailed, text::WrongPasswordOrDamaged(container));
        return carried;
    };
    if (size < strong::kMinContainer) return unknown();
    unsigned char headBytes[strong::kHeaderSize] = {first[0], first[1]};
    if (!ReadOrTell(in, headBytes + 2, sizeof headBytes - 2, container)) return kFailed;
    const std::optional<strong::Header> header = strong::ParseHeader(headBytes, sizeof headBytes);
    if (!header) return unknown();
    const std::optional<strong::Framing> framing = strong::FramingOf(size);
    if (!framing) return damaged();

    const ContainerKey* key = keys.Master(header->passSalt, header->iterations, Long());
    std::optional<Secret> fileKey;
    if (key) fileKey = strong::FileKey(key->master, header->fileSalt);
    std::optional<strong::Chunks> chunks;
    if (fileKey) chunks.emplace(*fileKey, *header);
    // Without a password to stretch (a key string alone) nothing can open it.
    if (!chunks || !chunks->Ready()) return damaged();

    // Chunk 0 holds the name.
    const bool single = framing->chunks == 1;
    const std::size_t firstCipher = single ? framing->lastCipher : strong::kCipherChunk;
    const std::size_t firstPlain = firstCipher - strong::kTagSize;
    std::vector<unsigned char> cipher(firstCipher);
    WipedBytes head(firstPlain);
    if (!ReadOrTell(in, cipher.data(), cipher.size(), container)) return kFailed;
    if (!chunks->Open(0, single, cipher.data(), firstPlain, head.data())) {
        wrongPassword_ = true;  // or a damaged first chunk: the same to the reader
        fileKey.reset();
        chunks.reset();
        if (!askAgain_) return damaged();
        keys.Forget(header->passSalt, header->iterations);  // another password may come for it
        return carried;
    }
    const std::size_t nameSize = head[0] | std::size_t{head[1]} << 8;
    std::optional<std::string> name;
    if (nameSize >= 1 && nameSize <= strong::kMaxName && 2 + nameSize <= firstPlain)
        name = StrongStoredNameOf(std::string_view(reinterpret_cast<const char*>(head.data()) + 2, nameSize));
    // No question about the name: the password is right.
    CodecResult answer = kNoClash;
    if (const std::optional<CodecResult> ended =
            SettleMeltTarget(container, name, StoredName::kProven, carried, plain, answer))
        return *ended;
    const CodecResult result = answer == kOverwriteAll ? kOverwriteAll : carried;

    const std::uint64_t bodySize = size - strong::kHeaderSize - framing->chunks * strong::kTagSize - 2 - nameSize;
    const std::span<const unsigned char> restOfFirst(head.data() + 2 + nameSize, firstPlain - 2 - nameSize);
    const Produced produced =
        Produce(container, plain, ReplacesExisting(answer, options_.OnNameClash), Direction::kMelt, bodySize,
                [&](OutputFile& out) {
            return WriteStrongBody(in, out, *chunks, *framing, restOfFirst, bodySize, container, plain);
        });
    if (produced == Produced::kDamaged) return carried;
    if (produced != Produced::kDone) return kFailed;
    written_ = true;
    if (used) *used = *key;

    input.reset();  // the container is closed before it may be deleted
    return Dispose(container, plain, kStrongVersion, result, StoredName::kProven);
}

// The plain bytes of a strong container after its name: what chunk 0 holds
// beyond the name, then chunks 1 on, opened a step's worth at a time.
std::optional<Codec::Fault> Codec::WriteStrongBody(InputFile& in, OutputFile& out, strong::Chunks& chunks,
                                                   const strong::Framing& framing,
                                                   std::span<const unsigned char> restOfFirst, std::uint64_t bodySize,
                                                   const std::string& container, const std::string& plain) {
    if (!restOfFirst.empty() && !out.Write(restOfFirst.data(), restOfFirst.size()))
        return Fault{Fault::kMessage, text::WriteFailed(plain)};
    std::uint64_t done = restOfFirst.size();
    if (!Advanced(done, bodySize)) return Fault{Fault::kCancelled};
    if (framing.chunks == 1) return std::nullopt;
    // As much as a step takes, no more: most files are a chunk or two.
    constexpr std::size_t kPerStep = kChunkSize / strong::kChunk;
    const auto perStep = static_cast<std::size_t>(std::min<std::uint64_t>(kPerStep, framing.chunks - 1));
    std::vector<unsigned char> cipher(perStep * strong::kCipherChunk);
    WipedBytes opened(perStep * strong::kChunk);
    for (std::uint64_t index = 1; index < framing.chunks;) {
        const std::uint64_t count = std::min<std::uint64_t>(perStep, framing.chunks - index);
        const bool endsLast = index + count == framing.chunks;
        const std::size_t bytes = static_cast<std::size_t>(
            (count - 1) * strong::kCipherChunk + (endsLast ? framing.lastCipher : strong::kCipherChunk));
        if (const ReadResult r = ReadExactly(in, cipher.data(), bytes); r != ReadResult::kRead)
            return Fault{Fault::kMessage, text::ReadFailed(container), r == ReadResult::kFailed};
        std::size_t at = 0, put = 0;
        for (std::uint64_t k = 0; k < count; ++k, ++index) {
            const bool last = index + 1 == framing.chunks;
            const std::size_t n = (last ? framing.lastCipher : strong::kCipherChunk) - strong::kTagSize;
            if (!chunks.Open(static_cast<std::uint32_t>(index), last, cipher.data() + at, n, opened.data() + put))
                return Fault{Fault::kDamaged, text::WrongPasswordOrDamaged(container), false};
            at += n + strong::kTagSize;
            put += n;
        }
        if (!out.WriteHanded(opened, put)) return Fault{Fault::kMessage, text::WriteFailed(plain)};
        done += put;
        if (!Advanced(done, bodySize)) return Fault{Fault::kCancelled};
    }
    return std::nullopt;
}

namespace {

// A compatible container's body read as the plain bytes it holds. The
// container is closed once its last byte is read, so that the converted file
// can take its name while the conversion is still in hand.
class MeltingInput : public InputFile {
public:
    MeltingInput(std::unique_ptr<InputFile>& container, std::string_view key, std::uint32_t position,
                 std::uint64_t size)
        : container_(container), transform_(key), position_(position), left_(size), size_(size) {
        if (left_ == 0) container_.reset();  // an empty file: nothing to read
    }
    std::optional<std::uint64_t> Size() override { return size_; }
    std::int64_t Read(void* buffer, std::size_t size) override {
        if (!container_ || left_ == 0) return 0;
        const std::int64_t got = container_->Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, left_)));
        if (got <= 0) return got;
        auto* bytes = static_cast<unsigned char*>(buffer);
        transform_.Melt(bytes, bytes, static_cast<std::size_t>(got), position_);
        left_ -= static_cast<std::uint64_t>(got);
        if (left_ == 0) container_.reset();
        return got;
    }

private:
    std::unique_ptr<InputFile>& container_;
    const Transform transform_;
    std::uint32_t position_;
    std::uint64_t left_;
    const std::uint64_t size_;
};

}  // namespace

Upgraded Codec::Upgrade(const std::string& container, PassKeys& keys) {
    Begin();
    std::uint64_t size = 0;
    std::unique_ptr<InputFile> in = OpenInput(container, size);
    if (!in) return Upgraded::kLeft;
    unsigned char head[2];
    if (!ReadHead(*in, size, container, head)) return Upgraded::kLeft;
    if (head[0] == kStrongVersion) return Upgraded::kAlreadyStrong;
    if (head[0] != kFormatVersion || size > kMaxContainerSize) {
        Report(CodecError::kCannotMelt, text::UnknownFormat());
        return Upgraded::kLeft;
    }
    if (!keys.KeyString()) {
        Report(CodecError::kFailed, text::PasswordNotForOldFormat(container));
        return Upgraded::kLeft;
    }
    const std::string_view key = keys.KeyString()->str();
    std::string stored;
    if (!ReadStoredName(*in, size, head[1], container, stored)) return Upgraded::kLeft;
    // Refused as a melt refuses it; then the strong writer's own rule.
    const std::optional<std::string> name = StoredNameOf(stored, key);
    NameRefusal refusal;
    const std::optional<std::string> strongName =
        name ? StoredBytesFor(*name, kStrongVersion, refusal) : std::nullopt;
    if (!strongName) {
        Report(CodecError::kCannotMelt, std::string(text::kCreateFailed));
        return Upgraded::kLeft;
    }
    // The compatible format cannot tell a wrong password: converting what it
    // melted would replace the only good copy with garbage.
    if (!StemsAgree(*name, container) && !ui_.ConfirmUpgradeUnlike(container, *name)) {
        wrongPassword_ = true;
        return Upgraded::kLeft;
    }
    // Probed before anything is converted; the container is ours to read, so
    // another program cannot hold it meanwhile.
    if (files_.IsReadOnly(container)) {
        Report(CodecError::kOpenFailed, container + "\n" + std::string(text::kReadOnly));
        return Upgraded::kLeft;
    }
    const ContainerKey* writeKey = StrongWriteKey(keys, container);
    if (!writeKey) return Upgraded::kLeft;
    target_ = container;
    const std::uint64_t body = size - 2 - stored.size();
    MeltingInput plain(in, key, static_cast<std::uint32_t>(2 + stored.size()), body);
    if (!EncodeStrong(plain, body, *strongName, *writeKey, container, container, true))
        return cancelled_ ? Upgraded::kCancelled : Upgraded::kLeft;
    written_ = true;
    return Upgraded::kConverted;
}

bool UpgradeTally::Count(const std::string& container, Upgraded done) {
    if (done == Upgraded::kConverted) converted.push_back(container);
    else if (done == Upgraded::kAlreadyStrong) ++alreadyStrong;
    else left.push_back(container);
    return done != Upgraded::kCancelled;
}

std::string UpgradeTally::Summary() const { return text::UpgradeSummary(converted.size(), alreadyStrong); }

std::string UpgradeTally::LeftList() const {
    return text::NotConverted(Direction::kUpgrade, left, converted.size() + left.size());
}

CodecResult Codec::CheckFileExist(std::string& path, CodecResult carried) {
    if (!files_.Exists(path)) return kNoClash;
    if (options_.OnNameClash == kNumberAtClashToo || options_.OnNameClash == kNumberAtClash) {
        path = AddNumber(path, [this](const std::string& p) { return files_.Exists(p); });
        return kRenamed;
    }
    if (options_.OnNameClash != kAskAtClash) {
        Report(CodecError::kInternal, "CheckFileExist");
        return kFailed;
    }
    if (carried == kOverwriteAll || carried == kSkipAll) return carried;
    const CodecResult answer = ui_.AskOverwrite(path);
    return answer >= kOverwrite && answer <= kRenamed ? answer : kFailed;
}

}  // namespace plivex
