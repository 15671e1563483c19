// Which way a conversion goes.
#pragma once

namespace plivex {

// A file into a container beside it, a container back into the file it
// holds, or a compatible container into a strong one in its place.
enum class Direction { kEncrypt, kMelt, kUpgrade };

}  // namespace plivex
