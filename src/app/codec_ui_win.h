// The program's answers to the codec's questions and its reports, on Windows.
#pragma once

#include <functional>
#include <string>

#include "codec/codec.h"

namespace plivex {

// Asks what to do about an existing output file (1..6 of CodecResult); on 6
// path holds the new full path. Without one installed, the overwrite
// confirmation dialog asks; tests install one to answer in its place.
using OverwriteAsker = std::function<int(std::string& path)>;
// Returns the previous asker.
OverwriteAsker SetOverwriteAsker(OverwriteAsker asker);

class WinCodecUi : public CodecUi {
public:
    int MsgBox(const std::string& text, const std::string& caption, unsigned style) override;
    int AskOverwrite(std::string& path) override;
    bool HasAssociation(const std::string& path) override;
};

}  // namespace plivex
