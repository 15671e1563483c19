// The one routine through which the program shows a message or asks a question.
#pragma once

#include <functional>
#include <string>

namespace plivex::ui {

// Shows a modal message box owned by the program's window in front
// (Application::FrontWindow); every other window of the program is disabled
// while it is open. An empty caption
// becomes the application title. Returns the button pressed (1 OK, 2 Cancel, 6 Yes, 7 No).
int MsgBox(const std::string& text, const std::string& caption, unsigned style);

// Answers in place of the user: receives the text, the caption as shown and the style.
using MsgBoxResponder = std::function<int(const std::string& text, const std::string& caption, unsigned style)>;
// Installs a responder (an empty one restores the real message box); returns the previous one.
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder);

}  // namespace plivex::ui
