// The one routine through which the program shows a message or asks a question.
#pragma once

#include <functional>
#include <string>

#include "base/texts.h"

namespace plivex::ui {

// Shows a modal message box owned by the program's window in front
// (Application::FrontWindow); every other window of the program is disabled
// while it is open. An empty caption
// becomes the application title. Returns the button pressed.
MsgAnswer MsgBox(const std::string& text, const std::string& caption, unsigned style);

// Answers in place of the user: receives the text, the caption as shown and the style.
using MsgBoxResponder =
    std::function<MsgAnswer(const std::string& text, const std::string& caption, unsigned style)>;
// Installs a responder (an empty one restores the real message box); returns the previous one.
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder);

}  // namespace plivex::ui
