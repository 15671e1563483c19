// The record of every user option, copied whole.
#pragma once

#include <cstdint>

namespace plivex {

enum TDlgPos : std::int32_t {
    dpSCenter = 0,  // centre dialogs on the screen
    dpBeside = 1,   // top-left corner on the opening window's, kept inside the screen
};

enum TFOverlap : std::int32_t {
    foAskUser = 0,  // ask with the overwrite confirmation dialog
    foAddNum = 2,   // give the new file a free numbered name
};

// Field order is the registry and export-file order. The two enumerations are
// held as plain integers: stored values outside the enumerations are kept as read.
struct TCustomSet {
    bool ConDelUnrela = true;
    bool ConMeltFName = true;
    bool DelRawF = true;
    bool DelPvF = true;
    bool RecyclePW = false;
    bool Reencode = true;
    bool SeePW = false;
    bool StayOnTop = false;
    bool UseMeltF = true;
    bool UseManyMeltF = false;
    bool UseNN = true;
    std::int32_t DlgPos = dpSCenter;
    std::int32_t FOverlap = foAddNum;
    // Containers written in the strong format (version 2), which older copies cannot open.
    bool StrongFormat = false;

    friend bool operator==(const TCustomSet&, const TCustomSet&) = default;
};

}  // namespace plivex
