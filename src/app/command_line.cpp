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

namespace {

// The option's name after its switch character, upper-cased.
std::string OptionName(const std::string& argument) {
    std::string name = argument.substr(1);
    for (char& c : name) c = AsciiUpper(c);
    return name;
}

bool IsRegClear(const std::string& argument) { return OptionName(argument).rfind("RC", 0) == 0; }

ExplorerRequest ExplorerRequestNamed(const std::string& name) {
    if (name == "REG") return ExplorerRequest::Register;
    if (name == "UNREG") return ExplorerRequest::Unregister;
    return ExplorerRequest::None;
}

}  // namespace

ExplorerRequest ExplorerRequestOf(const std::vector<std::string>& arguments) {
    ExplorerRequest request = ExplorerRequest::None;
    bool regClear = false;
    for (const auto& a : arguments) {
        if (!IsOption(a)) continue;
        if (const ExplorerRequest named = ExplorerRequestNamed(OptionName(a)); named != ExplorerRequest::None)
            request = named;
        else if (IsRegClear(a))
            regClear = true;
    }
    return regClear && request == ExplorerRequest::Register ? ExplorerRequest::None : request;
}

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, CommandLineFlags& param) {
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
        const std::string name = OptionName(a);
        if (name == "Q") {
            param.Quit = true;
        } else if (IsRegClear(a)) {
            param.RegClear = true;  // anything may follow: /RCX is /RC
        } else if (ExplorerRequestNamed(name) != ExplorerRequest::None) {
            // carried out before the copies decide which of them works
        } else {
            r.messages.push_back("このオプションは指定できません。\n" + a);
        }
    }
    return r;
}

}  // namespace plivex
