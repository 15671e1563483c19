// The command-line tool: encrypts files into containers beside them and melts
// containers back, with the same codec as the program.
#pragma once

#include <string>
#include <vector>

#include "tools/pvx_console.h"

namespace plivex {

inline constexpr int kPvxOk = 0;
inline constexpr int kPvxFailed = 1;
inline constexpr int kPvxUsage = 2;

// args: the UTF-8 arguments after the program name. Returns the exit status.
int PvxMain(const std::vector<std::string>& args, PvxConsole& console);

}  // namespace plivex
