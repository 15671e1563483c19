#include "app/command_line.h"

#include "base/ascii.h"

namespace plivex {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) args.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(std::move(current));
    return args;
}

bool IsOption(const std::string& argument) {
    return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

std::vector<std::string> FileArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const auto& a : arguments)
        if (!IsOption(a)) files.push_back(a);
    return files;
}

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, TCLParam& param) {
    CommandLineResult r;
    for (const auto& a : arguments) {
        if (!IsOption(a)) {
            r.files.push_back(a);
            continue;
        }
        // The switch character is always first, so "=" can only stand second here.
        if (a.find('=') == 1) {
            r.messages.push_back("オプションの記述形式が不正です。\n" + a);
            continue;
        }
        const char second = a.size() > 1 ? AsciiUpper(a[1]) : '\0';
        const char third = a.size() > 2 ? AsciiUpper(a[2]) : '\0';
        if (second == 'Q' && a.size() == 2) {
            param.Quit = true;
        } else if (second == 'R' && third == 'C') {
            param.RegClear = true;  // anything may follow: /RCX is /RC
        } else {
            r.messages.push_back("このオプションは指定できません。\n" + a);
        }
    }
    return r;
}

}  // namespace plivex
