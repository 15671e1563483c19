#include "codec/codec.h"

#include <algorithm>
#include <vector>

#include "base/secret.h"
#include "codec/cipher.h"
#include "codec/names.h"
#include "codec/texts.h"
#include "sys/cp932.h"

namespace plivex {

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
bool ReplacesExisting(int answer, std::int32_t fOverlap) {
    return answer == kOverwrite || answer == kOverwriteAll || (answer == kRenamed && fOverlap == foAskUser);
}

}  // namespace

std::optional<std::string> StoredNameOf(std::string_view stored, std::string_view key) {
    std::string bytes(stored);
    std::uint32_t position = 2;
    MeltBytes(bytes.data(), bytes.data(), static_cast<std::int32_t>(bytes.size()), position, key);
    std::optional<std::string> name = Cp932ToUtf8(StoredFileNamePart(bytes));
    SecureWipe(bytes);
    if (!name || CheckFileName(*name) != NameProblem::None) return std::nullopt;
    return name;
}

ContainerFate FateOfContainer(const TCustomSet& options, const std::function<bool()>& associated) {
    if (!options.DelPvF) return ContainerFate::kKeep;
    if (options.ConDelUnrela) return associated() ? ContainerFate::kDelete : ContainerFate::kAsk;
    // Nobody saw the name: a type that nothing opens is the last sign of a
    // wrong password, and then the container holds the only good copy.
    if (!options.ConMeltFName) return associated() ? ContainerFate::kDelete : ContainerFate::kKeep;
    return ContainerFate::kDelete;
}

int Codec::Message(const std::string& text, std::string_view caption, unsigned style) {
    return ui_.MsgBox(text, std::string(caption), style);
}

void Codec::RemoveSource(const std::string& path) {
    if (files_.Remove(path)) return;
    notDeleted_.paths.push_back(path);
    const std::string reason = files_.LastError();
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

// Writes header followed by count transformed bytes of in to a temporary file
// beside target, then gives it target's name. On any failure the temporary
// file is removed, the message shown, and kFailed returned; 0 on success.
int Codec::Convert(InputFile& in, std::uint64_t count, std::uint32_t position, bool encode, std::string_view key,
                   const std::string& header, const std::string& sourcePath, const std::string& target,
                   bool replace) {
    std::string tempPath;
    std::unique_ptr<OutputFile> out = files_.CreateTemp(target, tempPath);
    if (!out) {
        Message(WithReason(target), text::kCaptionOpenFailed, kStyleExclamation);
        return kFailed;
    }
    // Nothing of a conversion that did not end remains.
    auto discard = [&] {
        out.reset();
        files_.Remove(tempPath);
    };
    // The reason is taken before the clean-up, whose own calls come after the failure.
    auto fail = [&](const std::string& message, bool systemFailed = true) {
        const std::string shown = systemFailed ? WithReason(message) : message;
        discard();
        Message(shown, "", kStyleExclamation);
        return kFailed;
    };
    if (!header.empty() && !out->Write(header.data(), header.size())) return fail(text::WriteFailed(target));

    const Transform transform(key);
    std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunkSize)));
    for (std::uint64_t left = count; left > 0;) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        if (const ReadResult r = ReadExactly(in, chunk.data(), step); r != ReadResult::kRead)
            return fail(text::ReadFailed(sourcePath), r == ReadResult::kFailed);
        if (encode) transform.Encode(chunk.data(), chunk.data(), step, position);
        else transform.Melt(chunk.data(), chunk.data(), step, position);
        if (!out->Write(chunk.data(), step)) return fail(text::WriteFailed(target));
        left -= step;
        if (progress_ && !progress_->Advance(count - left, count)) {
            cancelled_ = true;
            SecureWipe(chunk.data(), chunk.size());
            discard();
            return kFailed;
        }
    }
    if (!chunk.empty()) SecureWipe(chunk.data(), chunk.size());  // plain bytes of a melted file
    const std::function<bool()> finish = [&] { return out->Finish(); };
    if (!(progress_ ? progress_->Await(finish) : finish())) return fail(text::WriteFailed(target));
    out.reset();
    if (!files_.Commit(tempPath, target, replace)) return fail(text::WriteFailed(target));
    return 0;
}

// Opens the file to convert and takes its size; on failure the message is shown and null returned.
std::unique_ptr<InputFile> Codec::OpenInput(const std::string& path, std::uint64_t& size) {
    std::unique_ptr<InputFile> in = files_.OpenRead(path);
    if (!in) {
        Message(WithReason(path), text::kCaptionOpenFailed, kStyleExclamation);
        return nullptr;
    }
    const std::optional<std::uint64_t> known = in->Size();
    if (!known) {
        Message(WithReason(std::string(text::kSizeFailed)), "", kStyleExclamation);
        return nullptr;
    }
    size = *known;
    return in;
}

int Codec::Encode(const std::string& source, std::string container, int carried, int version, std::string_view key) {
    cancelled_ = false;
    if (source == kDummySource) return kSkipped;

    std::uint64_t size = 0;
    std::unique_ptr<InputFile> in = OpenInput(source, size);
    if (!in) return kFailed;
    // Limits of the format, checked before anything is asked or written.
    const std::optional<std::string> name = Utf8ToCp932(FileNamePart(source));
    if (!name) {
        Message(text::NameNotEncodable(source), "", kStyleExclamation);
        return kFailed;
    }
    if (name->size() > kMaxStoredName) {
        Message(text::NameTooLong(source), "", kStyleExclamation);
        return kFailed;
    }
    if (2 + name->size() + size > kMaxContainerSize) {
        Message(text::FileTooLarge(source), "", kStyleExclamation);
        return kFailed;
    }

    const int answer = CheckFileExist(container, carried);
    if (answer == kSkipped || answer == kSkipAll || answer == kFailed) return answer;
    const int result = answer == kOverwriteAll ? kOverwriteAll : carried;
    target_ = container;

    // A container to be replaced is probed before anything is converted (held
    // open, read-only). A new one needs no probe: the temporary file made
    // beside it first fails the same way, with the same message, and its name
    // is the source's, which exists.
    const bool replace = ReplacesExisting(answer, options_.FOverlap);
    if (replace && !files_.CanCreate(container)) {
        Message(WithReason(container), text::kCaptionOpenFailed, kStyleExclamation);
        return kFailed;
    }
    if (version != kFormatVersion) {
        Message("Encode()", text::kCaptionInternalError, kStyleExclamation);
        return kFailed;
    }

    std::string header(2 + name->size(), '\0');
    header[0] = static_cast<char>(kFormatVersion);
    header[1] = static_cast<char>(name->size());
    std::uint32_t position = 2;
    EncodeBytes(name->data(), header.data() + 2, static_cast<std::int32_t>(name->size()), position, key);
    if (Convert(*in, size, position, true, key, header, source, container, replace) == kFailed) return kFailed;

    in.reset();  // the source is closed before it may be deleted
    if (options_.DelRawF) RemoveSource(source);
    return result;
}

int Codec::Melt(const std::string& container, std::string& plain, int carried, int& version, std::string_view key) {
    cancelled_ = false;
    std::uint64_t size = 0;
    std::unique_ptr<InputFile> in = OpenInput(container, size);
    if (!in) return kFailed;
    // A container too short for its header and name, or beyond the format's sizes, is not ours.
    unsigned char head[2];
    if (size < 2 || size > kMaxContainerSize) {
        Message(text::UnknownFormat(), text::kCaptionErrorReport, kStyleExclamation);
        return kFailed;
    }
    auto readFailed = [&](ReadResult r) {
        const std::string message = text::ReadFailed(container);
        Message(r == ReadResult::kFailed ? WithReason(message) : message, "", kStyleExclamation);
        return kFailed;
    };
    if (const ReadResult r = ReadExactly(*in, head, 2); r != ReadResult::kRead) return readFailed(r);
    version = head[0];
    const std::size_t n = head[1];
    if (size < 2 + n) {
        Message(text::UnknownFormat(), text::kCaptionErrorReport, kStyleExclamation);
        return kFailed;
    }
    std::string stored(n, '\0');
    if (const ReadResult r = ReadExactly(*in, reinterpret_cast<unsigned char*>(stored.data()), n);
        r != ReadResult::kRead)
        return readFailed(r);
    // Only a plain file name beside the container is accepted.
    const std::optional<std::string> name = StoredNameOf(stored, key);
    plain = FolderPart(container) + name.value_or(std::string());
    if (!name) {
        Message(std::string(text::kCreateFailed), text::kCaptionErrorReport, kStyleExclamation);
        return kFailed;
    }

    const int answer = CheckFileExist(plain, carried);
    if (answer == kSkipped || answer == kSkipAll || answer == kFailed) return answer;
    const int result = answer == kOverwriteAll ? kOverwriteAll : carried;
    target_ = plain;

    if (options_.ConMeltFName && Message(text::ConfirmMeltName(plain), "", kStyleYesNo) != kIdYes) {
        Message(std::string(text::kWrongPassword), "", kStyleExclamation);
        return kFailed;
    }
    if (!files_.CanCreate(plain)) {
        Message(WithReason(std::string(text::kCreateFailed)), text::kCaptionErrorReport, kStyleExclamation);
        return kFailed;
    }
    if (version != kFormatVersion) {
        Message(text::UnknownFormat(), text::kCaptionErrorReport, kStyleExclamation);
        return kFailed;
    }
    if (Convert(*in, size - 2 - n, static_cast<std::uint32_t>(2 + n), false, key, std::string(), container, plain,
                ReplacesExisting(answer, options_.FOverlap)) == kFailed)
        return kFailed;

    in.reset();  // the container is closed before it may be deleted
    switch (FateOfContainer(options_, [&] { return ui_.HasAssociation(plain); })) {
        case ContainerFate::kKeep:
            break;
        case ContainerFate::kDelete:
            RemoveSource(container);
            break;
        case ContainerFate::kAsk: {
            const int reply =
                Message(text::ConfirmDeleteUnrelated(plain, container), "", kStyleYesNoCancel | kDefaultNo);
            if (reply == kIdCancel) return kFailed;
            if (reply == kIdYes) RemoveSource(container);
            break;
        }
    }
    return result;
}

int Codec::CheckFileExist(std::string& path, int carried) {
    if (!files_.Exists(path)) return kNoClash;
    if (options_.FOverlap == 1 || options_.FOverlap == foAddNum) {
        path = AddNumber(path, [this](const std::string& p) { return files_.Exists(p); });
        return kRenamed;
    }
    if (options_.FOverlap != foAskUser) {
        Message("CheckFileExist", text::kCaptionInternalError, kStyleExclamation);
        return kFailed;
    }
    if (carried == kOverwriteAll || carried == kSkipAll) return carried;
    const int answer = ui_.AskOverwrite(path);
    return answer >= kOverwrite && answer <= kRenamed ? answer : kFailed;
}

}  // namespace plivex
