// Showing the HTML help in a web browser and opening the home page: the
// decisions, texts and order of calls, apart from the system calls themselves.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plivex::help {

inline constexpr std::string_view kHelpFileName = "Plivex.htm";
inline constexpr std::string_view kAnchorMain = "Kihonsousa";      // main window
inline constexpr std::string_view kAnchorFileTab = "Filetab";      // options dialog, file tab
inline constexpr std::string_view kAnchorOtherTab = "Sonotatab";   // options dialog, other tab
inline constexpr std::string_view kHomePageAddress = "https://plivex.example/";

inline constexpr std::string_view kDdeServiceIE = "IExplore";
inline constexpr std::string_view kDdeServiceOther = "NSShell";
inline constexpr std::string_view kDdeTopic = "WWW_OpenURL";
// Sent first so that a browser just started settles before the real page.
inline constexpr std::string_view kDdeFirstCommand = "about:";

// name itself when it holds a folder (or drive); else folder + "\" + name.
std::string HelpFullPath(std::string_view name, std::string_view programFolder);
// "#anchor", or nothing for an empty anchor.
std::string AnchorSuffix(std::string_view anchor);
// "IExplore" when the path holds "explore" in any letter case, else "NSShell".
std::string_view DdeServiceFor(std::string_view browserPath);

// Ends with where the help file is, so a user without a browser that the
// program can drive still finds it.
std::string HelpNotShownText(std::string_view name, std::string_view fullPath);
std::string HomePageNotOpenedText(std::string_view address);

// The system calls behind help and home page; the Win32 layer implements them,
// tests replace them.
class HelpSystem {
public:
    virtual ~HelpSystem() = default;
    // The default value of the Netscape App Paths key; nullopt when the key
    // does not open or its value cannot be read (an empty value is a value).
    virtual std::optional<std::string> NetscapeAppPath() = 0;
    // The program associated with an existing file; nullopt when there is none.
    virtual std::optional<std::string> AssociatedProgram(const std::string& file) = 0;
    // One DDE conversation with (service, topic): connect, starting the browser
    // once when nobody answers, and send one execute command. True when the
    // command was accepted.
    virtual bool DdeExecute(std::string_view service, const std::string& browser, const std::string& command) = 0;
    // The shell's "open" of file with parameters; true when it started.
    virtual bool ShellOpen(const std::string& file, const std::string& params) = 0;
    // An exclamation message with the application title as caption.
    virtual void ShowMessage(const std::string& text) = 0;
};

// The browser for a help file: the Netscape App Paths value when useNN and it
// can be read, else the program associated with the file.
bool FindBrowser(HelpSystem& sys, const std::string& fullPath, bool useNN, std::string& browser);

// Hands the help page at the anchor to a browser: two DDE conversations
// ("about:", then the page), else the browser started with the page. False
// after the message when nothing took the page.
bool ShowHelp(HelpSystem& sys, std::string_view programFolder, const std::string& name, const std::string& anchor,
              bool useNN);

// The shell opens the address; false after the message when it cannot.
bool OpenHomePage(HelpSystem& sys, const std::string& address);

}  // namespace plivex::help
