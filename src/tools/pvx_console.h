// What the command-line tool needs from the platform: its two output streams,
// the terminal for a password, and the environment. All text is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plivex {

class PvxConsole {
public:
    virtual ~PvxConsole() = default;
    virtual void Out(std::string_view text) = 0;
    virtual void Err(std::string_view text) = 0;
    // Shows prompt on the terminal and reads one line into line (without the
    // line end), echoed or not. False when there is no terminal to ask.
    enum class Echo { kShown, kHidden };
    virtual bool ReadLine(std::string_view prompt, std::string& line, Echo echo) = 0;
    // A password, not echoed.
    bool ReadPassword(std::string_view prompt, std::string& password) {
        return ReadLine(prompt, password, Echo::kHidden);
    }
    // An answer as typed; nullopt when there is no terminal to ask.
    std::optional<std::string> AskLine(std::string_view prompt) {
        std::string line;
        if (!ReadLine(prompt, line, Echo::kShown)) return std::nullopt;
        return line;
    }
    // nullopt when the variable is not set.
    virtual std::optional<std::string> GetEnv(const char* name) = 0;
    // From now on Ctrl+C does not end the process but is remembered, so that
    // the file being converted can stop cleanly.
    virtual void CatchInterrupt() {}
    virtual bool Interrupted() { return false; }
    // Whether standard error is a terminal, where a progress line can be rewritten in place.
    virtual bool ErrIsTerminal() { return false; }
};

}  // namespace plivex
