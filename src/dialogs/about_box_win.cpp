#include "dialogs/about_box_win.h"

#include <shellapi.h>

#include "dialogs/place_win.h"
#include "sys/shell_win.h"
#include "ui/app_win.h"

namespace plivex {

AboutBoxControls::AboutBoxControls(ui::Form& form)
    : ImgIcon(form, 16, 16, 32, 32),
      LabelAppName(form, 64, 24, "", 193, ui::Alignment::Center),
      LabelAppVer(form, 256, 24, "", 81, ui::Alignment::Center),
      LabelCright(form, 16, 56, "", 305, ui::Alignment::Center),
      Bevel1(form, 0, 80, 353),
      Bevel2(form, 0, 169, 353),
      ButtonOK(form, 134, 184, 86, 25, "&OK", 0) {}

AboutBoxForm::AboutBoxForm()
    : Form(353, 215, "", ui::BorderStyle::Single, ui::BorderIcons{true, true, false, false}),
      AboutBoxControls(static_cast<ui::Form&>(*this)) {
    SetOuterSize(361, 249);
    ButtonOK.SetDefault(true);
    ButtonOK.SetModalResult(ui::mrOk);
    ButtonOK.OnClick = [this] { ButtonOKClick(); };
    FormCreate();
}

void AboutBoxForm::FormCreate() { PaintIcon(); }

// The program's own first large icon over the form's background, at the form's DPI.
void AboutBoxForm::PaintIcon() {
    RECT area{0, 0, Scale(ImgIcon.Width()) + 1, Scale(ImgIcon.Height()) + 1};
    FillRect(ImgIcon.Canvas(), &area, GetSysColorBrush(COLOR_BTNFACE));
    HICON large = nullptr;
    if (ExtractIconExW(ProgramPath().c_str(), 0, &large, nullptr, 1) > 0 && large) {
        DrawIconEx(ImgIcon.Canvas(), 0, 0, large, Scale(32), Scale(32), 0, nullptr, DI_NORMAL);
        DestroyIcon(large);
    }
    ImgIcon.Invalidate();
}

void AboutBoxForm::ButtonOKClick() {
    if (!InModal()) Hide();  // kept for the run: closing only hides it
}

void AboutBoxForm::ShowTexts(const std::string& appName, const std::string& appVer, const std::string& cright) {
    LabelAppName.SetText(appName);
    LabelAppVer.SetText(appVer);
    LabelCright.SetText(cright);
}

AboutBox::AboutBox() {
    SetCaption(kAboutCaptionSuffix);
    SetFormSize(361, 249);
    const ui::Application& app = ui::Application::Get();
    const ScreenSize screen = PrimaryScreen();
    const Point centre = CenterOnScreen(app.Scale(361), app.Scale(249), screen);
    SetLeft(centre.left);
    SetTop(centre.top);
}

void AboutBox::SetAppName(const std::string& name) {
    if (GetCaption() == appName_ + kAboutCaptionSuffix) SetCaption(name + kAboutCaptionSuffix);
    appName_ = name;
}

std::unique_ptr<ui::Form> AboutBox::CreateSelf() { return std::make_unique<AboutBoxForm>(); }

void AboutBox::PropToDialog() {
    DialogBase::PropToDialog();
    if (auto* form = dynamic_cast<AboutBoxForm*>(DialogForm())) form->ShowTexts(appName_, appVer_, cright_);
}

void AboutBox::DialogToProp() {
    DialogBase::DialogToProp();
    if (auto* form = dynamic_cast<AboutBoxForm*>(DialogForm())) {
        appName_ = form->ShownAppName();
        appVer_ = form->ShownAppVer();
        cright_ = form->ShownCright();
    }
}

}  // namespace plivex
