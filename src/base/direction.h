// Which way a conversion goes.
#pragma once

namespace plivex {

// A file into a container beside it, or a container back into the file it holds.
enum class Direction { kEncrypt, kMelt };

}  // namespace plivex
