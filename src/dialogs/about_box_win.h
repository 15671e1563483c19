// The about box: program icon, name, version and copyright line.
#pragma once

#include <memory>
#include <string>

#include "dialogs/dialog_base_win.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

// The box's controls: a private base of the box, so that its own code names
// them directly and only ControlsForTest() reaches them from outside.
struct AboutBoxControls {
    explicit AboutBoxControls(ui::Form& form);

    ui::Image ImgIcon;
    ui::Label LabelAppName;
    ui::Label LabelAppVer;
    ui::Label LabelCright;
    ui::Bevel Bevel1;
    ui::Bevel Bevel2;
    ui::Button ButtonOK;
};

class AboutBoxForm : public ui::Form, private AboutBoxControls {
public:
    AboutBoxForm();

    // The program's name, its version and the copyright line, as shown.
    void ShowTexts(const std::string& appName, const std::string& appVer, const std::string& cright);
    std::string ShownAppName() const { return LabelAppName.Text(); }
    std::string ShownAppVer() const { return LabelAppVer.Text(); }
    std::string ShownCright() const { return LabelCright.Text(); }

    // Tests and the screenshot tool drive the box through its controls.
    AboutBoxControls& ControlsForTest() { return *this; }

private:
    void FormCreate();
    void ButtonOKClick();
    void DpiChanged() override { PaintIcon(); }
    void PaintIcon();
};

class AboutBox : public DialogBase {
public:
    AboutBox();

    const std::string& AppName() const { return appName_; }
    // The caption follows the name as long as it is the name's own caption.
    void SetAppName(const std::string& name);
    const std::string& AppVer() const { return appVer_; }
    void SetAppVer(const std::string& ver) { appVer_ = ver; }
    void SetCright(const std::string& cright) { cright_ = cright; }

    void PropToDialog() override;
    void DialogToProp() override;

protected:
    std::unique_ptr<ui::Form> CreateSelf() override;

private:
    std::string appName_;
    std::string appVer_;
    std::string cright_;
};

// The suffix of the about box's caption.
inline constexpr const char* kAboutCaptionSuffix = "のバージョン情報";

}  // namespace plivex
