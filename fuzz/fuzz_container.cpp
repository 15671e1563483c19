// Melts arbitrary bytes as a container and checks what may be left behind.
// Input: byte 0 = option bits, byte 1 = password length (1..32), the password,
// then the container.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "codec/names.h"
#include "codec/texts.h"
#include "mem_files.h"
#include "sys/cp932.h"

using namespace plivex;

namespace {

class FuzzUi : public CodecUi {
public:
    explicit FuzzUi(unsigned bits) : bits_(bits) {}
    void ReportError(const CodecReport&) override {}
    bool ConfirmMeltedName(const std::string&, const std::string&, bool) override { return (bits_ & 8) != 0; }
    DeleteAnswer AskDeleteUnlikeContainer(const std::string&) override { return Delete(); }
    DeleteAnswer AskDeleteUnassociated(const std::string&, const std::string&) override { return Delete(); }
    CodecResult AskOverwrite(std::string&) override {
        return (bits_ & 32) ? CodecResult::kOverwrite : CodecResult::kSkipped;
    }
    bool HasAssociation(const std::string&) override { return (bits_ & 64) != 0; }
    bool ConfirmUpgradeUnlike(const std::string&, const std::string&) override { return (bits_ & 8) != 0; }

private:
    DeleteAnswer Delete() const {
        return (bits_ & 8) ? DeleteAnswer::kDelete : (bits_ & 16) ? DeleteAnswer::kKeep : DeleteAnswer::kStop;
    }
    unsigned bits_;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned bits = data[0];
    const std::size_t pwLen = 1 + data[1] % 32;
    if (size < 2 + pwLen) return 0;
    const std::string key = MakeKeyString(std::string(reinterpret_cast<const char*>(data + 2), pwLen));
    const std::string container(reinterpret_cast<const char*>(data + 2 + pwLen), size - 2 - pwLen);

    test::MemFiles fs;
    FuzzUi ui(bits);
    Options opt;
    opt.ConfirmMeltedName = bits & 1;
    opt.DeleteContainerAfterMelt = bits & 2;
    opt.AskBeforeDeletingUnassociated = bits & 4;
    opt.OnNameClash = (bits & 128) ? foAskUser : foAddNum;
    Codec codec(fs, ui, opt);
    const std::string path = "C:\\box\\in.pvx";
    fs.files[path] = container;
    fs.files["C:\\box\\taken.txt"] = "x";  // something for a stored name to clash with

    std::string plain;
    int version = 0;
    const CodecOutcome outcome = codec.Melt(path, plain, CodecResult::kNoClash, version, key);
    const CodecResult result = outcome.result;

    Check(fs.Temps().empty());
    Check(fs.At("C:\\box\\taken.txt") == "x" || result != CodecResult::kFailed);
    // A strong container refused (damaged, wrong password) hands the carried state back unwritten.
    if (result == CodecResult::kFailed || result == CodecResult::kSkipped || !outcome.written) {
        // The container is kept; nothing new, unless the user cancelled only
        // the question whether to delete the container of a complete file.
        Check(fs.Has(path) && fs.At(path) == container);
        const bool cancelledDeletion =
            opt.DeleteContainerAfterMelt && opt.AskBeforeDeletingUnassociated && !(bits & 64) && fs.Has(plain) &&
            fs.At(plain).size() == container.size() - 2 - static_cast<unsigned char>(container[1]);
        Check(fs.files.size() == 2 || (result == CodecResult::kFailed && fs.files.size() == 3 && cancelledDeletion));
        return 0;
    }
    // Written: one file beside the container, under a name Windows can create.
    Check(result == CodecResult::kNoClash);
    Check(FolderPart(plain) == "C:\\box\\");
    Check(CheckFileName(FileNamePart(plain)) == NameProblem::None);
    Check(fs.Has(plain));
    Check(fs.At(plain).size() == container.size() - 2 - static_cast<unsigned char>(container[1]));
    Check(fs.Has(path) || opt.DeleteContainerAfterMelt);

    // Where the stored name is exactly what Encode would store, encrypting gives the container back.
    const std::size_t n = static_cast<unsigned char>(container[1]);
    std::string stored = container.substr(2, n);
    std::uint32_t pos = 2;
    MeltBytes(stored.data(), stored.data(), static_cast<std::int32_t>(n), pos, key);
    if (plain == "C:\\box\\" + Cp932ToUtf8(stored).value_or("?") && Utf8ToCp932(FileNamePart(plain)) == stored) {
        const std::string again = "C:\\again\\x.pvx";
        opt.DeleteSourceAfterEncrypt = false;
        Check(codec.Encode(plain, again, CodecResult::kNoClash, 1, key).result == CodecResult::kNoClash);
        Check(fs.At(again) == container);
    }
    return 0;
}
