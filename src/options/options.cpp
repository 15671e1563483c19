#include "options/options.h"

namespace plivex {

TCustomSet& CustomSet() {
    static TCustomSet options;
    return options;
}

}  // namespace plivex
