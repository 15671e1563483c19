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

// name itself when it holds a folder (or drive); else folder + "\" + name.
std::string HelpFullPath(std::string_view name, std::string_view programFolder);
// "#anchor", or nothing for an empty anchor.
std::string AnchorSuffix(std::string_view anchor);
// "IExplore" when the path holds "explore" in any letter case, else "NSShell".
std::string_view DdeServiceFor(std::string_view browserPath);
// The file: address of a Windows path, with "#anchor" when there is one:
// "file:///C:/Prog/Plivex.htm#Filetab", "file://server/share/x.htm". Blanks,
// non-ASCII bytes and characters that mean something in an address are
// percent-escaped (UTF-8), so the address also survives an unquoted %1.
std::string FileAddress(std::string_view fullPath, std::string_view anchor);
// The association's command line with the address in the file's place (%1,
// %L); %* and %2..%9 become nothing and %% a percent sign. nullopt when the
// command has no place for the file, or asks for something only the shell can
// give (an item list, an unexpanded variable): the shell then opens the file.
std::optional<std::string> CommandWithAddress(std::string_view command, std::string_view address);

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
    // One DDE conversation with (service, topic), only with a server that
    // already answers (nobody is started for it), and one execute command.
    // True when the command was accepted.
    virtual bool DdeExecute(std::string_view service, const std::string& command) = 0;
    // The command line the shell runs to "open" file, by the association of its
    // extension, its placeholders (%1 ...) still in it; nullopt when there is none.
    virtual std::optional<std::string> AssociationCommand(const std::string& file) = 0;
    // Starts a program with that command line; true when it started.
    virtual bool StartProgram(const std::string& commandLine) = 0;
    // The shell's "open" of file with parameters; true when it started.
    virtual bool ShellOpen(const std::string& file, const std::string& params) = 0;
    // An exclamation message with the application title as caption.
    virtual void ShowMessage(const std::string& text) = 0;
};

struct Browser {
    std::string path;
    bool fromAppPath = false;  // the Netscape App Paths value, not the association
};
// The browser for a help file: the Netscape App Paths value when useNN and it
// can be read, else the program associated with the file.
std::optional<Browser> FindBrowser(HelpSystem& sys, const std::string& fullPath, bool useNN);

// Hands the help page at the anchor to a browser, starting at most one
// program: a running browser that answers DDE takes the page; else the App
// Paths browser is started with the page's file: address, or the association
// of the file opens that address (or, when it takes no address, the file).
// False after the message when nothing took the page.
bool ShowHelp(HelpSystem& sys, std::string_view programFolder, const std::string& name, const std::string& anchor,
              bool useNN);

// The shell opens the address; false after the message when it cannot.
bool OpenHomePage(HelpSystem& sys, const std::string& address);

}  // namespace plivex::help
