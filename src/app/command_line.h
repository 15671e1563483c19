// The program's own command line: the options /Q and /RC and the names of
// files to work at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plivex {

// Flags the command line sets; acted upon when the window is shown, by the
// monitor timer and at exit.
struct CommandLineFlags {
    bool Quit = false;      // close once nothing is left to watch
    bool RegClear = false;  // remove the program's registry key at exit instead of saving
};

// Splits a command line into its arguments (the program's name first):
// blanks and tabs outside quotes separate them; a double quote switches
// grouping on and off and is dropped; text before, inside and after quotes
// joins into one argument; a quote left open runs to the end of the line;
// a backslash is an ordinary character, so "D:\" is D:\ (a drive root or a
// folder handed over by the shell) and not an escaped quote. "" is an
// argument of its own, empty.
std::vector<std::string> SplitCommandLine(std::string_view line);

// An argument that begins with "/" or "-" is an option, whatever follows.
bool IsOption(const std::string& argument);

// The file and folder arguments in order, options left out (what a second
// instance hands over).
std::vector<std::string> FileArguments(const std::vector<std::string>& arguments);

// /REG (register with Explorer) and /UNREG (remove), matched whole, letters
// in any case: carried out by whichever copy reads them. The last one given
// counts; with /RC nothing is registered (the run leaves nothing behind).
enum class ExplorerRequest { None, Register, Unregister };
ExplorerRequest ExplorerRequestOf(const std::vector<std::string>& arguments);

struct CommandLineResult {
    std::vector<std::string> files;     // as typed, in order; the caller makes them long names
    std::vector<std::string> messages;  // texts for MsgBox (empty caption, exclamation style), in order
};

// Examines the arguments (without the program name): sets the flags of
// recognised options and reports malformed and unknown ones. An empty
// argument is a file name like any other (the batch reports it as missing).
CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments, CommandLineFlags& param);

}  // namespace plivex
