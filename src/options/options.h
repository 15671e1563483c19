// The options in force for the whole run.
#pragma once

#include "options/custom_set.h"

namespace plivex {

// The one global record every part of the program reads; starts with the defaults.
TCustomSet& CustomSet();

}  // namespace plivex
