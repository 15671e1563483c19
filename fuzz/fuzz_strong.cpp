// The strong format's reader under a fixed password: the header parser and the
// chunk framing over arbitrary bytes, and, so that inputs get past the tags,
// plain streams chosen by the fuzzer sealed under that password and melted back.
// Input: byte 0 = mode (even: melt the rest as a container; odd: encrypt the
// rest as a file and melt it back), then the bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "codec/codec.h"
#include "codec/strong.h"
#include "codec/texts.h"
#include "mem_files.h"

using namespace plivex;

namespace {

class FuzzUi : public CodecUi {
public:
    void ReportError(const CodecReport&) override {}
    bool ConfirmMeltedName(const std::string&, const std::string&, bool) override { return false; }
    DeleteAnswer AskDeleteUnlikeContainer(const std::string&) override { return DeleteAnswer::kKeep; }
    DeleteAnswer AskDeleteUnassociated(const std::string&, const std::string&) override { return DeleteAnswer::kKeep; }
    CodecResult AskOverwrite(std::string&) override { return CodecResult::kSkipped; }
    bool HasAssociation(const std::string&) override { return true; }
    bool ConfirmUpgradeUnlike(const std::string&, const std::string&) override { return false; }
};

void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr char kPassword[] = "fuzz pw";

// One password for many inputs: its master keys stay cached, so the seeds'
// salt is stretched once and other salts cost one quick stretch each. Started
// afresh now and then, or the salts of every mutated header pile up.
PassKeys& Keys() {
    static PassKeys keys;
    static unsigned uses = 0;
    if (uses++ % 256 == 0) keys = PassKeys::FromPassword(kPassword);
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    test::MemFiles fs;
    FuzzUi ui;
    Options opt;
    opt.OnNameClash = kNumberAtClash;
    opt.DeleteContainerAfterMelt = false;  // the container stays, to be checked
    Codec codec(fs, ui, opt);
    const std::string container = "C:\\box\\in.pvx";

    if (data[0] & 1) {
        // The file's name from the first bytes, whatever they are; its body the rest.
        const std::size_t cut = std::min<std::size_t>(bytes.size(), data[0] >> 1);
        const std::string name = bytes.substr(0, cut);
        const std::string body = bytes.substr(cut);
        const std::string source = "C:\\src\\" + name;
        fs.files[source] = body;
        codec.SetStrongIterations(strong::kMinIterations);
        // A fixed pass salt: the key is stretched once for the run.
        codec.SetRandom([](void* out, std::size_t n) {
            std::memset(out, 0x5A, n);
            return true;
        });
        static PassKeys writing = PassKeys::ToWrite(kPassword, kStrongVersion);
        const CodecOutcome encoded = codec.Encode(source, container, CodecResult::kNoClash, kStrongVersion, writing);
        Check(encoded.result == CodecResult::kNoClash);
        // The writer stores a name exactly when the reader gives it back as it is.
        const std::string stored = FileNamePart(source);
        const bool storable = stored.size() <= strong::kMaxName && StrongStoredNameOf(stored) == stored;
        Check(encoded.written == storable);
        if (!storable) {
            // The source alone: no container, no temporary file (the source's own name may look like one).
            Check(fs.At(source) == body && fs.files.size() == 1);
            return 0;
        }
        Check(fs.At(container).size() == strong::ContainerSizeFor(2 + stored.size() + body.size()));
        std::string plain;
        int version = 0;
        const CodecOutcome melted = codec.Melt(container, plain, CodecResult::kNoClash, version, Keys());
        Check(melted.result == CodecResult::kNoClash && melted.written);
        // Beside the container under the stored name; numbered when that is the container's own.
        const std::string expected = "C:\\box\\" + stored;
        Check(plain == expected || (expected == container && FolderPart(plain) == "C:\\box\\" && plain != container));
        Check(fs.At(plain) == body);
        return 0;
    }

    // The compatible format has fuzz_container.
    if (bytes.empty() || static_cast<unsigned char>(bytes[0]) != kStrongVersion) return 0;
    // A count the reader accepts can cost seconds of stretching: such counts
    // are brought down to 1000..1007, those it refuses stay as they are.
    std::string input = bytes;
    if (input.size() >= 12) {
        std::uint32_t n = 0;
        for (int i = 0; i < 4; ++i) n |= std::uint32_t{static_cast<unsigned char>(input[8 + i])} << (8 * i);
        if (n >= strong::kMinIterations && n <= strong::kMaxIterations) {
            n = strong::kMinIterations + n % 8;
            for (int i = 0; i < 4; ++i) input[8 + i] = static_cast<char>(n >> (8 * i));
        }
    }
    fs.files[container] = input;
    std::string plain;
    int version = 0;
    // A carried value no answer gives: handed back as it came.
    const CodecOutcome outcome = codec.Melt(container, plain, CodecResult{7}, version, Keys());
    // The container stays whatever happened; nothing half-written remains.
    Check(fs.Has(container) && fs.At(container) == input);
    Check(fs.Temps().empty());
    if (outcome.written) {
        Check(outcome.result == CodecResult{7} && version == kStrongVersion);
        Check(fs.files.size() == 2);
        // The body came out of the chunks, less the name and its length.
        Check(strong::ContainerSizeFor(3 + fs.At(plain).size()) <= input.size());
    } else {
        Check(fs.files.size() == 1);
    }
    return 0;
}
