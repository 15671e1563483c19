#include "options/export_file.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace plivex {

namespace {

constexpr std::string_view kHeaderCurrent = "PlivexIE$2";
constexpr std::string_view kHeaderOlder = "PlivexIE$1";  // without UseNN

using BoolField = bool TCustomSet::*;
// The eleven booleans in record order; the older version lacks the last one.
constexpr std::array<BoolField, 11> kBools = {
    &TCustomSet::ConDelUnrela, &TCustomSet::ConMeltFName, &TCustomSet::DelRawF,   &TCustomSet::DelPvF,
    &TCustomSet::RecyclePW,    &TCustomSet::Reencode,     &TCustomSet::SeePW,     &TCustomSet::StayOnTop,
    &TCustomSet::UseMeltF,     &TCustomSet::UseManyMeltF, &TCustomSet::UseNN,
};

// Lines end at CR LF, a lone CR or a lone LF; a final terminator opens no
// further line, so empty input has no lines at all.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// An optional sign followed by decimal digits, within 32 bits.
std::optional<std::int32_t> ToInt(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string ExportText(const TCustomSet& record) {
    std::string text(kHeaderCurrent);
    text += "\r\n";
    for (BoolField f : kBools) text += record.*f ? "1\r\n" : "0\r\n";
    text += std::to_string(record.DlgPos) + "\r\n";
    text += std::to_string(record.FOverlap) + "\r\n";
    // A 15th line: older readers stop after FOverlap and never see it.
    text += record.StrongFormat ? "1\r\n" : "0\r\n";
    return text;
}

ExportRead ParseExportText(std::string_view bytes, TCustomSet& record) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (lines.empty()) return ExportRead::kNoLines;
    std::size_t bools;
    if (lines[0] == kHeaderCurrent) bools = kBools.size();
    else if (lines[0] == kHeaderOlder) bools = kBools.size() - 1;
    else return ExportRead::kNotExport;

    // Each field is stored as soon as its line converts; the first bad line ends the reading.
    std::size_t line = 1;
    auto next = [&]() -> std::optional<std::int32_t> {
        if (line >= lines.size()) return std::nullopt;
        return ToInt(lines[line++]);
    };
    for (std::size_t i = 0; i < bools; ++i) {
        const auto v = next();
        if (!v) return ExportRead::kRead;
        record.*kBools[i] = *v != 0;
    }
    for (std::int32_t TCustomSet::*f : {&TCustomSet::DlgPos, &TCustomSet::FOverlap}) {
        const auto v = next();
        if (!v) return ExportRead::kRead;
        record.*f = *v;
    }
    // Files of older copies end here: the starting value stays.
    if (bools == kBools.size()) {
        if (const auto v = next()) record.StrongFormat = *v != 0;
    }
    return ExportRead::kRead;
}

}  // namespace plivex
