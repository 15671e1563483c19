#include "screenshot_scenes_win.h"

#include "dialogs/about_win.h"

namespace plivex {

int RenderScenes() {
    int count = 0;

    TAboutDialog about;
    about.SetAppName("プリベックス");
    about.SetAppVer("Ver 3.34");
    about.SetCright("Copyright (C) 2026 Plivex Project");
    about.Create();
    about.Show();
    CaptureForm(*about.DialogForm(), "about");
    about.Hide(false);
    ++count;

    return count;
}

}  // namespace plivex
