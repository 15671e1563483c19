// The about box: program icon, name, version and copyright line.
#pragma once

#include <memory>
#include <string>

#include "dialogs/dialog_base_win.h"
#include "ui/controls_win.h"
#include "ui/form_win.h"

namespace plivex {

class AboutBoxForm : public ui::Form {
public:
    AboutBoxForm();

    ui::Image ImgIcon;
    ui::Label LabelAppName;
    ui::Label LabelAppVer;
    ui::Label LabelCright;
    ui::Bevel Bevel1;
    ui::Bevel Bevel2;
    ui::Button ButtonOK;

private:
    void FormCreate();
    void ButtonOKClick();
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
