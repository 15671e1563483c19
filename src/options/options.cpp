#include "options/options.h"

namespace plivex {

Options& OptionsInForce() {
    static Options options;
    return options;
}

}  // namespace plivex
