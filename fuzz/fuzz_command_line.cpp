// The program's command line on arbitrary input, split as a whole line and
// taken as arguments (one per input line): invariants that start-up and the
// hand-over to a running copy rely on.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"

using namespace plivex;

namespace {

const std::string kMalformed = "オプションの記述形式が不正です。\n";
const std::string kUnknown = "このオプションは指定できません。\n";

void Check(bool ok) {
    if (!ok) std::abort();
}

bool SameLetter(char c, char upper) { return c == upper || c == upper - 'A' + 'a'; }

// The options that set a flag, read straight from their description: the
// switch, then Q and nothing else, or R and C followed by anything.
bool IsQuit(const std::string& a) { return a.size() == 2 && (a[0] == '/' || a[0] == '-') && SameLetter(a[1], 'Q'); }
bool IsRegClear(const std::string& a) {
    return a.size() >= 3 && (a[0] == '/' || a[0] == '-') && SameLetter(a[1], 'R') && SameLetter(a[2], 'C');
}
// The switch followed by exactly this word, in any case.
bool IsWord(const std::string& a, const std::string& word) {
    if (a.size() != word.size() + 1 || (a[0] != '/' && a[0] != '-')) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (!SameLetter(a[i + 1], word[i])) return false;
    return true;
}
bool IsExplorerOption(const std::string& a) { return IsWord(a, "REG") || IsWord(a, "UNREG"); }

// Splitting never keeps a quote, and arguments put back in quotes, as a
// second copy's caller would write them, split into the very same arguments.
void CheckSplit(const std::string& line) {
    const std::vector<std::string> split = SplitCommandLine(line);
    std::string quoted;
    for (const std::string& a : split) {
        Check(a.find('"') == std::string::npos);
        quoted += "\"" + a + "\" ";
    }
    Check(SplitCommandLine(quoted) == split);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckSplit(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') args.emplace_back();
        else args.back() += static_cast<char>(data[i]);
    }
    if (args.size() > 64) return 0;

    CommandLineFlags param;
    const CommandLineResult r = ParseCommandLine(args, param);

    // Every argument on its own, then the whole line must be just those put together:
    // where an argument stands never changes what it means.
    std::vector<std::string> files, messages;
    bool quit = false, regClear = false;
    ExplorerRequest request = ExplorerRequest::None;
    for (const std::string& a : args) {
        const bool option = IsOption(a);
        Check(option == (!a.empty() && (a[0] == '/' || a[0] == '-')));

        CommandLineFlags one;
        const CommandLineResult alone = ParseCommandLine({a}, one);
        if (!option) {
            // A name, the empty one too, is kept exactly as typed and never reported or taken as a flag.
            Check(alone.files.size() == 1 && alone.files[0] == a);
            Check(alone.messages.empty() && !one.Quit && !one.RegClear);
        } else {
            // An option is never a file; it sets its flag, or else it is reported once, as typed.
            Check(alone.files.empty());
            Check(one.Quit == IsQuit(a) && one.RegClear == IsRegClear(a));
            if (IsQuit(a) || IsRegClear(a) || IsExplorerOption(a)) {
                Check(alone.messages.empty());
            } else {
                Check(alone.messages.size() == 1);
                const std::string& text = a[1] == '=' ? kMalformed : kUnknown;
                Check(alone.messages[0] == text + a);
            }
        }
        // Flags already set stay set.
        CommandLineFlags set{true, true};
        ParseCommandLine({a}, set);
        Check(set.Quit && set.RegClear);

        files.insert(files.end(), alone.files.begin(), alone.files.end());
        messages.insert(messages.end(), alone.messages.begin(), alone.messages.end());
        quit = quit || one.Quit;
        regClear = regClear || one.RegClear;
        if (IsWord(a, "REG")) request = ExplorerRequest::Register;
        if (IsWord(a, "UNREG")) request = ExplorerRequest::Unregister;
    }
    // The last of /REG and /UNREG counts; with /RC nothing is registered.
    Check(ExplorerRequestOf(args) == (regClear && request == ExplorerRequest::Register ? ExplorerRequest::None : request));
    Check(r.files == files && r.messages == messages);
    Check(param.Quit == quit && param.RegClear == regClear);
    // A second copy hands over the very names the first one would work.
    Check(FileArguments(args) == r.files);
    return 0;
}
