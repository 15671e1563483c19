// The forms and states the screenshot tool renders.
#pragma once

#include <functional>
#include <string>

#include "ui/form_win.h"

namespace plivex {

// Writes the form, frame included, as NAME.bmp.
void CaptureForm(ui::Form& form, const std::string& name);
// Only the client area: the frame is the system's, drawn at its own DPI.
void CaptureClient(ui::Form& form, const std::string& name);
// Runs showModal with a hook that captures the modal form as NAME and cancels it.
void CaptureModal(const std::string& name, const std::function<void()>& showModal);

// Renders every scene; returns how many screenshots it asked for.
int RenderScenes();

}  // namespace plivex
