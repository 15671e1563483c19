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

std::string HelpNotShownText(std::string_view name, std::string_view fullPath) {
    return PleaseSee("ヘルプを表示できません。", name) + "\n" + std::string(fullPath);
}

std::string HomePageNotOpenedText(std::string_view address) {
    return PleaseSee("作者のホームページに接続できません。", address);
}

bool FindBrowser(HelpSystem& sys, const std::string& fullPath, bool useNN, std::string& browser) {
    if (useNN) {
        if (auto path = sys.NetscapeAppPath()) {
            browser = std::move(*path);
            return true;
        }
    }
    if (auto path = sys.AssociatedProgram(fullPath)) {
        browser = std::move(*path);
        return true;
    }
    return false;
}

bool ShowHelp(HelpSystem& sys, std::string_view programFolder, const std::string& name, const std::string& anchor,
              bool useNN) {
    const std::string fullPath = HelpFullPath(name, programFolder);
    try {
        const std::string suffix = AnchorSuffix(anchor);
        std::string browser;
        if (FindBrowser(sys, fullPath, useNN, browser)) {
            const std::string_view service = DdeServiceFor(browser);
            sys.DdeExecute(service, browser, std::string(kDdeFirstCommand));
            if (sys.DdeExecute(service, browser, fullPath + suffix)) return true;
            // The full path: the browser does not start in the program's folder,
            // so the bare name would not find the file.
            if (!browser.empty() && sys.ShellOpen(browser, "\"" + fullPath + suffix + "\"")) return true;
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
