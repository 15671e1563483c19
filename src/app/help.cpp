#include "app/help.h"

#include <exception>

#include "base/ascii.h"

namespace plivex::help {

namespace {

constexpr std::string_view kPleaseSeeHead = "\nＷＷＷブラウザ（ＮetscapeＮavigator4.5以上推奨）で\n\"";
constexpr std::string_view kPleaseSeeTail = "\"\nをご覧下さい。";

std::string PleaseSee(std::string_view lead, std::string_view what) {
    std::string t(lead);
    t += kPleaseSeeHead;
    t += what;
    t += kPleaseSeeTail;
    return t;
}

}  // namespace

std::string HelpFullPath(std::string_view name, std::string_view programFolder) {
    if (name.find_first_of("\\/:") != std::string_view::npos) return std::string(name);
    std::string full(programFolder);
    if (!full.empty() && full.back() != '\\' && full.back() != '/') full += '\\';
    full += name;
    return full;
}

std::string AnchorSuffix(std::string_view anchor) {
    std::string suffix;
    if (!anchor.empty()) {
        suffix.push_back('#');
        suffix.append(anchor);
    }
    return suffix;
}

std::string_view DdeServiceFor(std::string_view browserPath) {
    constexpr std::string_view marker = "EXPLORE";
    return AsciiUpper(browserPath).find(marker) != std::string::npos ? kDdeServiceIE : kDdeServiceOther;
}

std::string FileAddress(std::string_view fullPath, std::string_view anchor) {
    std::string path(fullPath);
    for (char& c : path)
        if (c == '\\') c = '/';
    std::string_view rest = path;
    std::string address = "file://";
    if (rest.starts_with("//?/UNC/")) {
        rest.remove_prefix(8);  // server/share/...
    } else if (rest.starts_with("//?/")) {
        rest.remove_prefix(4);
        address += '/';
    } else if (rest.starts_with("//")) {
        rest.remove_prefix(2);
    } else {
        address += '/';
    }
    constexpr std::string_view kept = "-._~/:!$&'()*+,;=@";
    constexpr char hex[] = "0123456789ABCDEF";
    for (const char ch : rest) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            kept.find(ch) != std::string_view::npos) {
            address += ch;
        } else {
            address += '%';
            address += hex[c >> 4];
            address += hex[c & 15];
        }
    }
    return address + AnchorSuffix(anchor);
}

std::optional<std::string> CommandWithAddress(std::string_view command, std::string_view address) {
    std::string line;
    bool placed = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (command[i] != '%') {
            line += command[i];
            continue;
        }
        if (++i == command.size()) return std::nullopt;
        const char code = command[i];
        if (code == '1' || code == 'L' || code == 'l') {
            line += address;
            placed = true;
        } else if (code == '%') {
            line += '%';
        } else if (code != '*' && (code < '2' || code > '9')) {
            return std::nullopt;
        }
    }
    if (!placed) return std::nullopt;
    return line;
}

std::string HelpNotShownText(std::string_view name, std::string_view fullPath) {
    return PleaseSee("ヘルプを表示できません。", name) + "\n" + std::string(fullPath);
}

std::string HomePageNotOpenedText(std::string_view address) {
    return PleaseSee("作者のホームページに接続できません。", address);
}

std::optional<Browser> FindBrowser(HelpSystem& sys, const std::string& fullPath, bool useNN) {
    if (useNN)
        if (auto path = sys.NetscapeAppPath()) return Browser{std::move(*path), true};
    if (auto path = sys.AssociatedProgram(fullPath)) return Browser{std::move(*path), false};
    return std::nullopt;
}

bool ShowHelp(HelpSystem& sys, std::string_view programFolder, const std::string& name, const std::string& anchor,
              bool useNN) {
    const std::string fullPath = HelpFullPath(name, programFolder);
    try {
        if (const auto browser = FindBrowser(sys, fullPath, useNN)) {
            // Only a browser that is already running answers: asking one that
            // is not would mean starting it, and then once more with the page.
            if (sys.DdeExecute(DdeServiceFor(browser->path), fullPath + AnchorSuffix(anchor))) return true;
            // The full path as an address: a browser does not start in the
            // program's folder, and a plain path with "#" names no file.
            const std::string address = FileAddress(fullPath, anchor);
            if (browser->fromAppPath) {
                if (!browser->path.empty() && sys.ShellOpen(browser->path, "\"" + address + "\"")) return true;
            } else {
                // The association's own command line keeps the browser's
                // switches; one without a place for an address gets the file
                // from the shell, without the chapter.
                if (const auto command = sys.AssociationCommand(fullPath))
                    if (const auto line = CommandWithAddress(*command, address))
                        if (sys.StartProgram(*line)) return true;
                if (sys.ShellOpen(fullPath, "")) return true;
            }
        }
    } catch (const std::exception&) {
        // Reported below like any other failure to show the page.
    }
    sys.ShowMessage(HelpNotShownText(name, fullPath));
    return false;
}

bool OpenHomePage(HelpSystem& sys, const std::string& address) {
    try {
        if (sys.ShellOpen(address, "")) return true;
    } catch (const std::exception&) {
    }
    sys.ShowMessage(HomePageNotOpenedText(address));
    return false;
}

}  // namespace plivex::help
