#include "dialogs/dialog_base_win.h"

#include "base/texts.h"
#include "dialogs/place_win.h"
#include "ui/app_win.h"
#include "ui/msgbox_win.h"

namespace plivex {

DialogBase::~DialogBase() = default;

void DialogBase::Create() {
    if (form_) return;
    form_ = CreateSelf();
    if (!form_) {
        ui::MsgBox("ダイアログが生成できませんでした。", "", kStyleExclamation);
        throw DialogCreateError();
    }
    PropToDialog();
}

void DialogBase::Destroy() {
    if (!form_) return;
    form_->Hide();
    ui::Application::Get().DeleteLater(std::move(form_));
}

void DialogBase::PropToDialog() {
    if (!form_) return;
    form_->SetCaption(GetCaption());
    form_->SetPosition(left_, top_);
    form_->SetBorderIcons(borderIcons_);
    form_->SetBorderStyle(borderStyle_);
    form_->SetBorderWidth(borderWidth_);
    if (formStyle_ == FormStyle::StayOnTop) form_->SetStayOnTop(true);
    else if (form_->StayOnTop()) form_->SetStayOnTop(false);
    form_->SetFormPosition(position_);
}

void DialogBase::DialogToProp() {
    if (!form_) return;
    SetCaption(form_->Caption());
    left_ = form_->Left();
    top_ = form_->Top();
    borderIcons_ = form_->GetBorderIcons();
    borderStyle_ = form_->GetBorderStyle();
    borderWidth_ = form_->BorderWidth();
    formStyle_ = form_->StayOnTop() ? FormStyle::StayOnTop : FormStyle::Normal;
    position_ = form_->Position();
}

void DialogBase::Hide() {
    if (form_) form_->Hide();
}

void DialogBase::Show() {
    ui::BusyCursor busy;
    Create();
    form_->Restore();
    form_->Show();  // a visible form only comes to the front
    form_->BringToFront();
}

int DialogBase::ShowModal() {
    ui::BusyCursor busy;
    Create();
    if (form_->Visible()) Hide();
    else PropToDialog();
    form_->Restore();
    const int result = form_->ShowModal();
    if (result == ui::mrOk) DialogToProp();
    return result;
}

void DialogBase::PlaceCentred() {
    if (!form_) return;
    position_ = ui::FormPosition::ScreenCenter;
    PropToDialog();
}

void DialogBase::PlaceAt(std::int32_t left, std::int32_t top) {
    if (!form_) return;
    position_ = ui::FormPosition::Designed;
    // The sizes are design pixels; the screen is in real ones.
    const ui::Application& app = ui::Application::Get();
    const Point p = ClampToScreen({left, top}, app.Scale(formWidth_), app.Scale(formHeight_), PrimaryScreen());
    left_ = p.left;
    top_ = p.top;
    PropToDialog();
}

}  // namespace plivex
