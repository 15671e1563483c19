#include "screenshot_scenes_win.h"

#include "dialogs/about_win.h"
#include "dialogs/check_fe_win.h"
#include "dialogs/input_pw_win.h"

namespace plivex {

int RenderScenes() {
    int count = 0;
    auto modal = [&](const std::string& name, const std::function<void()>& show) {
        CaptureModal(name, show);
        ++count;
    };

    // The password dialog in each mode and compaction.
    const std::vector<std::string> one = {"C:\\文書\\報告書.doc"};
    const std::vector<std::string> four = {"C:\\文書\\a.txt", "C:\\文書\\b.txt", "C:\\文書\\c.txt", "C:\\文書\\d.txt"};
    TCustomSet options;
    modal("password-encrypt", [&] { AskPassword(0, options, one, ""); });
    TCustomSet seePw = options;
    seePw.SeePW = true;
    modal("password-encrypt-seepw", [&] { AskPassword(0, seePw, four, ""); });
    modal("password-decrypt-one", [&] { AskPassword(1, options, one, ""); });
    modal("password-decrypt-many", [&] { AskPassword(1, options, four, ""); });
    TCustomSet recycle = options;
    recycle.RecyclePW = true;
    modal("password-encrypt-remembered", [&] { AskPassword(0, recycle, one, "secret"); });

    // The overwrite question.
    modal("overwrite", [&] {
        std::string path = "C:\\文書\\報告書.pvx";
        AskOverwriteWithDialog(path);
    });

    // The about box, shown modelessly as the program does.
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
