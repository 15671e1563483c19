#include "options/export_file.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace plivex {

namespace {

constexpr std::string_view kHeaderCurrent = "PlivexIE$2";
constexpr std::string_view kHeaderOlder = "PlivexIE$1";  // without the lines of UseNetscapeForHelp and StrongFormat

// The options in the order of the file's lines. The older version has the
// same order without the options it lacks. Two rows on one line, or a line
// out of range, fail the build here.
constexpr auto kLines = [] {
    std::array<const OptionSpec*, std::size(kOptionSpecs)> lines{};
    for (const OptionSpec& o : kOptionSpecs) {
        if (lines.at(o.exportLine - 1)) throw "two options on one export line";
        lines.at(o.exportLine - 1) = &o;
    }
    return lines;
}();

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

std::string ExportText(const Options& record) {
    std::string text(kHeaderCurrent);
    text += "\r\n";
    for (const OptionSpec* o : kLines) text += std::to_string(o->Get(record)) + "\r\n";
    return text;
}

ExportRead ParseExportText(std::string_view bytes, Options& record) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    if (lines.empty()) return ExportRead::kNoLines;
    const bool older = lines[0] == kHeaderOlder;
    if (!older && lines[0] != kHeaderCurrent) return ExportRead::kNotExport;

    // Each field is stored as soon as its line converts; the first missing or
    // bad line ends the reading, and the fields from there keep their values.
    std::size_t line = 1;
    for (const OptionSpec* o : kLines) {
        if (older && !o->inOlderExport) continue;
        const std::optional<std::int32_t> v = line < lines.size() ? ToInt(lines[line++]) : std::nullopt;
        if (!v) break;
        o->Set(record, *v);
    }
    return ExportRead::kRead;
}

}  // namespace plivex
