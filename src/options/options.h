// The options in force for the whole run.
#pragma once

#include "options/options_record.h"

namespace plivex {

// The one global record every part of the program reads; starts with the defaults.
Options& OptionsInForce();

}  // namespace plivex
