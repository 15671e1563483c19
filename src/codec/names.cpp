#include "codec/names.h"

#include <array>

#include "base/ascii.h"

namespace plivex {

namespace {

bool IsReservedDeviceName(std::string_view name) {
    // Windows maps these to devices whatever extension follows, and ignores trailing blanks before it.
    std::string base = AsciiUpper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (auto r : kPlain)
        if (base == r) return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// "_" and a number from 2 on, without leading zeros, at the end: the program's numbering.
std::string_view WithoutNumber(std::string_view stem) {
    const std::size_t underscore = stem.rfind('_');
    if (underscore == std::string_view::npos) return stem;
    const std::string_view digits = stem.substr(underscore + 1);
    if (digits.empty() || digits.front() == '0' || digits == "1" ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
        return stem;
    return stem.substr(0, underscore);
}

}  // namespace

std::string StemOf(std::string_view path) {
    const std::string name = FileNamePart(path);
    const std::size_t dot = ExtensionDot(name);
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool StemsAgree(std::string_view storedName, std::string_view containerPath) {
    const std::string stored = AsciiUpper(StemOf(storedName));
    const std::string container = AsciiUpper(StemOf(containerPath));
    return stored == container || stored == WithoutNumber(container);
}

std::string AddNumber(std::string_view path, const std::function<bool(const std::string&)>& exists) {
    const std::size_t dot = ExtensionDot(path);
    const std::string_view stem = dot == std::string_view::npos ? path : path.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : path.substr(dot);
    for (unsigned long long n = 2;; ++n) {
        std::string candidate(stem);
        candidate += '_';
        candidate += std::to_string(n);
        candidate += ext;
        if (!exists(candidate)) return candidate;
    }
}

std::string_view StoredFileNamePart(std::string_view cp932) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        const auto c = static_cast<unsigned char>(cp932[i]);
        if (IsCp932LeadByte(c)) {
            ++i;  // its second byte is never a separator
            continue;
        }
        if (c == 0x5C || c == 0x3A) start = i + 1;
    }
    return cp932.substr(start);
}

NameProblem CheckFileName(std::string_view name) {
    if (name.empty()) return NameProblem::Empty;
    if (name == "." || name == "..") return NameProblem::DotName;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) return NameProblem::ControlCharacter;
        if (std::string_view("<>\"/\\|?*:").find(ch) != std::string_view::npos) return NameProblem::ForbiddenCharacter;
    }
    if (name.back() == ' ' || name.back() == '.') return NameProblem::TrailingSpaceOrDot;
    if (IsReservedDeviceName(name)) return NameProblem::ReservedDeviceName;
    return NameProblem::None;
}

}  // namespace plivex
