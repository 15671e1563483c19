// Base of the dialogs kept for the whole run: settings live here as properties
// while no window exists; the window is made on first use and shown modelessly.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "ui/form_win.h"

namespace plivex {

enum class FormStyle { Normal, StayOnTop };

// Raised after "ダイアログが生成できませんでした。" was shown: abandons the command.
class DialogCreateError : public std::runtime_error {
public:
    DialogCreateError() : std::runtime_error("dialog not created") {}
};

class DialogBase {
public:
    DialogBase() = default;
    virtual ~DialogBase();
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    virtual std::string GetCaption() const { return caption_; }
    virtual void SetCaption(const std::string& caption) { caption_ = caption; }
    std::int32_t Left() const { return left_; }
    void SetLeft(std::int32_t left) { left_ = left; }
    std::int32_t Top() const { return top_; }
    void SetTop(std::int32_t top) { top_ = top; }
    ui::BorderIcons GetBorderIcons() const { return borderIcons_; }
    void SetBorderIcons(ui::BorderIcons icons) { borderIcons_ = icons; }
    std::int32_t BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(std::int32_t width) { borderWidth_ = width; }
    ui::BorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(ui::BorderStyle style) { borderStyle_ = style; }
    FormStyle GetFormStyle() const { return formStyle_; }
    void SetFormStyle(FormStyle style) { formStyle_ = style; }
    ui::FormPosition Position() const { return position_; }
    void SetPosition(ui::FormPosition position) { position_ = position; }
    std::int32_t FormWidth() const { return formWidth_; }
    std::int32_t FormHeight() const { return formHeight_; }

    // Makes the window unless it exists, and copies the properties to it.
    void Create();
    bool IsCreated() const { return form_ != nullptr; }
    ui::Form* DialogForm() const { return form_.get(); }
    // Releases the window after the current message; the next Create makes a new one.
    void Destroy();

    virtual void PropToDialog();
    virtual void DialogToProp();
    void RefreshDialog() { PropToDialog(); }
    // Hides the window; what it shows is taken back only by a modal result of OK.
    virtual void Hide();
    virtual void Show();
    virtual int ShowModal();
    // Where the window shows: centred on the screen, or at left/top kept inside it.
    void PlaceCentred();
    void PlaceAt(std::int32_t left, std::int32_t top);

protected:
    // Makes the derived class's window; null when it could not.
    virtual std::unique_ptr<ui::Form> CreateSelf() = 0;
    void SetFormSize(std::int32_t width, std::int32_t height) {
        formWidth_ = width;
        formHeight_ = height;
    }

private:
    std::string caption_;
    std::int32_t formHeight_ = 0;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    std::int32_t formWidth_ = 0;
    ui::BorderIcons borderIcons_{true, true, false, false};
    std::int32_t borderWidth_ = 0;
    ui::BorderStyle borderStyle_ = ui::BorderStyle::Single;
    FormStyle formStyle_ = FormStyle::Normal;
    ui::FormPosition position_ = ui::FormPosition::Designed;
    std::unique_ptr<ui::Form> form_;
};

}  // namespace plivex
