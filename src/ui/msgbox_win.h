// The one routine through which the program shows a message or asks a question.
#pragma once

#include <functional>
#include <string>

#include "base/texts.h"
#include "ui/seams_win.h"

namespace plivex::ui {

// Shows a modal message box owned by the program's window in front
// (Application::FrontWindow); every other window of the program is disabled
// while it is open. An empty caption
// becomes the application title. Returns the button pressed.
MsgAnswer MsgBox(const std::string& text, const std::string& caption, unsigned style);

// Tests answer in its place: SetMsgBoxResponder (ui/seams_win.h).

}  // namespace plivex::ui
