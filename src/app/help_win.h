// Help in a web browser and the author's home page, through the shell and DDE.
#pragma once

#include <string>

#include "app/help.h"

namespace plivex {

// Shows the help file (a bare name is looked for in the program's folder) at
// the anchor; false after telling the user that it could not be shown.
bool ShowHelp(const std::string& name, const std::string& anchor, bool useNN);

// Opens the address with the shell; false after telling the user.
bool OpenHomePage(const std::string& address);

namespace help {

// The real system calls: registry, shell, DDE client and the message box.
class WinHelpSystem : public HelpSystem {
public:
    std::optional<std::string> NetscapeAppPath() override;
    std::optional<std::string> AssociatedProgram(const std::string& file) override;
    bool DdeExecute(std::string_view service, const std::string& command) override;
    std::optional<std::string> AssociationCommand(const std::string& file) override;
    bool StartProgram(const std::string& commandLine) override;
    bool ShellOpen(const std::string& file, const std::string& params) override;
    void ShowMessage(const std::string& text) override;
};

}  // namespace help
}  // namespace plivex
