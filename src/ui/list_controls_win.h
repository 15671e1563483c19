// List box and drop-down list over the standard Windows controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls_win.h"

namespace plivex::ui {

// Registers the common control classes once, before the first of them is created.
void EnsureCommonControls();
// EnsureCommonControls, then the class name: for a control's base constructor.
const wchar_t* CommonControlClass(const wchar_t* windowClass);

struct ListBoxOptions {
    bool sorted = false;
    bool multiSelect = false;
    // With multiSelect: Shift and Ctrl clicks extend the selection; otherwise every click toggles an item.
    bool extendedSelect = true;
};

class ListBox : public Control {
public:
    ListBox(Form& form, int left, int top, int width, int height, int tabOrder, ListBoxOptions options = {});

    // Items; a sorted list places each new item by its text.
    int AddItem(const std::string& text);  // returns the item's index
    void Clear();
    void SetItems(const std::vector<std::string>& items);
    int Count() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    // Index of the item with exactly this text, ignoring letter case; -1 when none.
    int FindItem(const std::string& text) const;

    // The selected item of a single-select list, the focused item of a multi-select one; -1 for none.
    int ItemIndex() const;
    // Selects only that item (-1 clears the selection).
    void SetItemIndex(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    // Selected items in list order.
    std::vector<int> SelectedIndices() const;
    // Replaces the selection; a single-select list takes the first index only.
    void SetSelectedIndices(const std::vector<int>& indices);

    bool Sorted() const { return options_.sorted; }
    bool MultiSelect() const { return options_.multiSelect; }
    bool ExtendedSelect() const { return options_.extendedSelect; }
    // Windows fixes the selection kind when the window is made, so a change
    // recreates the window; items stay, the selection is cleared.
    void SetMultiSelect(bool multiSelect, bool extendedSelect = true);

    // The user changed the selection (click or keys).
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    void Command(WORD code) override;

private:
    ListBoxOptions options_;
};

// A drop-down list (the user picks, never types).
class ComboBox : public Control {
public:
    // height is the closed height; the opened list shows up to dropDownCount items.
    ComboBox(Form& form, int left, int top, int width, int height, int tabOrder, int dropDownCount = 8);

    int AddItem(const std::string& text);
    void Clear();
    void SetItems(const std::vector<std::string>& items);
    int Count() const;
    std::string Item(int index) const;

    // -1 when nothing is selected.
    int ItemIndex() const;
    void SetItemIndex(int index);

    // The user picked another item; not called when the program sets ItemIndex.
    std::function<void()> OnChange;
    void Command(WORD code) override;

private:
    void FitDropDown();
    int dropDownCount_;
};

}  // namespace plivex::ui
