// The export-file reader on arbitrary bytes: invariants that the options
// dialog and the start-up import rely on.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "options/export_file.h"

using namespace plivex;

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Starting values unlike the defaults, so a field that was never read shows.
    Options start;
    start.AskBeforeDeletingUnassociated = false;
    start.UseNetscapeForHelp = false;
    start.DialogPlacement = -3;
    start.OnNameClash = 77;
    Options record = start;
    const ExportRead result = ParseExportText(bytes, record);

    Check((result == ExportRead::kNoLines) == bytes.empty());
    if (result != ExportRead::kRead) Check(record == start);
    else Check(StartsWith(bytes, "PlivexIE$2") || StartsWith(bytes, "PlivexIE$1"));

    // Whatever was read, written out and read back over another record gives it back.
    Options again;
    Check(ParseExportText(ExportText(record), again) == ExportRead::kRead);
    Check(again == record);

    // Any record, including enumeration values outside their range, survives the round trip.
    Options any;
    if (size >= 8) {
        std::memcpy(&any.DialogPlacement, data, 4);
        std::memcpy(&any.OnNameClash, data + 4, 4);
        any.ShowPassword = data[0] & 1;
        any.UseNetscapeForHelp = data[1] & 1;
    }
    Options back = start;
    Check(ParseExportText(ExportText(any), back) == ExportRead::kRead && back == any);
    return 0;
}
