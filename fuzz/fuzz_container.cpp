// Melts arbitrary bytes as a container and checks what may be left behind.
// Input: byte 0 = option bits, byte 1 = password length (1..32), the password,
// then the container.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/paths.h"
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

// Converting in place either makes the container strong, melting to what the
// compatible reader melts it to, or leaves it as it was with nothing beside it.
void CheckUpgrade(unsigned bits, const std::string& passwordCp932, const std::string& container) {
    const std::optional<std::string> password = Cp932ToUtf8(passwordCp932);
    if (!password) return;
    test::MemFiles fs;
    FuzzUi ui(bits);
    Options opt;
    Codec codec(fs, ui, opt);
    codec.SetStrongIterations(1000);
    const std::string path = "C:\\box\\in.pvx";
    fs.files[path] = container;
    PassKeys keys = PassKeys::FromPassword(*password);
    const Upgraded done = codec.Upgrade(path, keys);
    Check(fs.Temps().empty() && fs.files.size() == 1);
    if (done != Upgraded::kConverted) {
        Check(fs.At(path) == container);
        Check(done != Upgraded::kAlreadyStrong || container[0] == 2);
        return;
    }
    // The same file comes out of either container.
    const std::string strong = fs.At(path);
    fs.files.clear();
    fs.files["C:\\a\\old.pvx"] = container;
    fs.files["C:\\b\\new.pvx"] = strong;
    opt.OnNameClash = kNumberAtClash;
    opt.ConfirmMeltedName = false;
    opt.DeleteContainerAfterMelt = false;
    std::string oldPlain, newPlain;
    int version = 0;
    // The password as the program holds it: some code page 932 bytes (the NEC
    // selection of IBM's characters) come back from Unicode as others.
    const std::string keyString = MakeKeyString(Utf8ToCp932(*password).value_or(passwordCp932));
    Check(codec.Melt("C:\\a\\old.pvx", oldPlain, CodecResult::kNoClash, version, keyString).written);
    PassKeys reading = PassKeys::FromPassword(*password);
    Check(codec.Melt("C:\\b\\new.pvx", newPlain, CodecResult::kNoClash, version, reading).written);
    Check(version == 2 && FileNamePart(oldPlain) == FileNamePart(newPlain) && fs.At(oldPlain) == fs.At(newPlain));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned bits = data[0];
    const std::size_t pwLen = 1 + data[1] % 32;
    if (size < 2 + pwLen) return 0;
    const std::string key = MakeKeyString(std::string(reinterpret_cast<const char*>(data + 2), pwLen));
    const std::string container(reinterpret_cast<const char*>(data + 2 + pwLen), size - 2 - pwLen);
    CheckUpgrade(bits, std::string(reinterpret_cast<const char*>(data + 2), pwLen), container);

    test::MemFiles fs;
    FuzzUi ui(bits);
    Options opt;
    opt.ConfirmMeltedName = bits & 1;
    opt.DeleteContainerAfterMelt = bits & 2;
    opt.AskBeforeDeletingUnassociated = bits & 4;
    opt.OnNameClash = (bits & 128) ? kAskAtClash : kNumberAtClash;
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
