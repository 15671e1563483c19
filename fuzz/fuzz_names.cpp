// The name rules on arbitrary text: invariants that every caller relies on.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "codec/cipher.h"
#include "codec/codec.h"
#include "codec/names.h"

using namespace plivex;

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);

    // Splitting loses nothing, and the name part holds no separator.
    const std::string folder = FolderPart(path), name = FileNamePart(path);
    Check(folder + name == path);
    for (char c : name) Check(!IsPathSeparator(c));

    // The container name stays in the same folder and ends in ".pvx".
    const std::string container = ChangeExt(path, "pvx");
    Check(FolderPart(container) == folder);
    Check(container.size() >= 4 && container.compare(container.size() - 4, 4, ".pvx") == 0);

    // Numbered names stay in the folder and skip every taken one.
    std::set<std::string> taken;
    for (int i = 0; i < 3; ++i) taken.insert(AddNumber(path, [&](const std::string& p) { return taken.count(p) != 0; }));
    Check(taken.size() == 3);
    for (const auto& t : taken) Check(FolderPart(t) == folder && t != path);

    // A stored name's part is a suffix of it; a name passing the check is a plain single name.
    const std::string_view part = StoredFileNamePart(path);
    Check(part.size() <= path.size() && path.compare(path.size() - part.size(), part.size(), part) == 0);
    if (CheckFileName(path) == NameProblem::None) {
        Check(!path.empty() && path != "." && path != "..");
        Check(FileNamePart(path) == path);
        Check(path.back() != '.' && path.back() != ' ');
    }

    // Whatever a container stores, the name it yields is one plain file name beside it.
    static const std::string key = MakeKeyString("fuzz");
    if (const std::optional<std::string> stored = StoredNameOf(path, key)) {
        Check(CheckFileName(*stored) == NameProblem::None);
        Check(FileNamePart(*stored) == *stored);
    }
    return 0;
}
