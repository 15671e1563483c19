// Every seam of the program, in one place: where tests (and the screenshot
// tool) stand in for the user or slow a conversion down. Each setter returns
// what it replaces, so that its caller can put it back; an empty one restores
// the real behaviour.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/texts.h"
#include "codec/codec.h"

namespace plivex {
namespace ui {

class Form;

// Answers message boxes in place of the user: receives the text, the caption
// as shown and the style.
using MsgBoxResponder =
    std::function<MsgAnswer(const std::string& text, const std::string& caption, unsigned style)>;
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder);
const MsgBoxResponder& InstalledMsgBoxResponder();

// Runs inside ShowModal once the form is visible, in place of the user: it may
// read and set controls and click buttons. A form it leaves without a modal
// result is closed with Cancel and ShowModal throws, so a test fails instead of hanging.
using ModalHook = std::function<void(Form&)>;
ModalHook SetModalHook(ModalHook hook);
const ModalHook& InstalledModalHook();

}  // namespace ui

// Answers the question what to do about an existing output file, in place of
// the overwrite dialog; on kRenamed path holds the new full path.
using OverwriteAsker = std::function<CodecResult(std::string& path)>;
OverwriteAsker SetOverwriteAsker(OverwriteAsker asker);
const OverwriteAsker& InstalledOverwriteAsker();

// Milliseconds a conversion's progress waits at every step, from the
// environment variable PLIVEX_TEST_STEP_MS, so that a test can act while a
// conversion runs; 0 without it.
DWORD TestStepDelay();

}  // namespace plivex
