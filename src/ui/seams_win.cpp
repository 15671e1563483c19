#include "ui/seams_win.h"

#include <cwchar>
#include <utility>

namespace plivex {

namespace {

template <class Seam>
Seam Replace(Seam& installed, Seam replacement) {
    Seam previous = std::move(installed);
    installed = std::move(replacement);
    return previous;
}

// Made on first use, so that a seam set early finds its place there.
template <class Seam>
Seam& Installed() {
    static Seam seam;
    return seam;
}

}  // namespace

namespace ui {
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder r) { return Replace(Installed<MsgBoxResponder>(), std::move(r)); }
const MsgBoxResponder& InstalledMsgBoxResponder() { return Installed<MsgBoxResponder>(); }
ModalHook SetModalHook(ModalHook hook) { return Replace(Installed<ModalHook>(), std::move(hook)); }
const ModalHook& InstalledModalHook() { return Installed<ModalHook>(); }
}  // namespace ui

OverwriteAsker SetOverwriteAsker(OverwriteAsker asker) { return Replace(Installed<OverwriteAsker>(), std::move(asker)); }
const OverwriteAsker& InstalledOverwriteAsker() { return Installed<OverwriteAsker>(); }

DWORD TestStepDelay() {
    wchar_t value[16] = {};
    return GetEnvironmentVariableW(L"PLIVEX_TEST_STEP_MS", value, 16) ? static_cast<DWORD>(_wtoi(value)) : 0;
}

}  // namespace plivex
