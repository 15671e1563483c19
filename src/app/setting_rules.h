// The options dialog's rules on plain values: what its controls show for a
// record, what a record becomes from its controls, and which controls are
// enabled. A control is known by its place in the dialog's Tab order, which
// kOptionSpecs gives for every option.
#pragma once

#include <array>
#include <cstdint>

#include "options/options_record.h"

namespace plivex {

// One past the last place in the Tab order that an option's control takes.
inline constexpr int kOptionControlEnd = [] {
    int end = 0;
    for (const OptionSpec& o : kOptionSpecs)
        for (int place : o.Controls()) end = place >= end ? place + 1 : end;
    return end;
}();

// The check box of a tick, and the radio button of one value of a choice.
constexpr int ControlOf(bool Options::*tick) {
    for (const OptionSpec& o : kOptionSpecs)
        if (o.tick == tick) return o.controls[0];
    return 0;
}
constexpr int ControlOf(std::int32_t Options::*choice, std::int32_t value) {
    for (const OptionSpec& o : kOptionSpecs)
        for (std::size_t i = 0; o.choice == choice && i < o.values.size(); ++i)
            if (o.values[i] == value) return o.controls[i];
    return 0;
}

// Whether each of the dialog's ticks and radio buttons is checked, by its place in the Tab order.
struct SettingView {
    std::array<bool, kOptionControlEnd> checked{};

    bool& operator[](int control) { return checked.at(control); }
    bool operator[](int control) const { return checked.at(control); }
    friend bool operator==(const SettingView&, const SettingView&) = default;
};

// The view of a record. A stored choice that no radio button stands for
// selects none of its group, so the value is not misrepresented.
SettingView ViewFromRecord(const Options& record);

// The record the view stands for. Every tick counts, enabled or not; a radio
// group with nothing selected keeps that field of previous.
Options RecordFromView(const SettingView& view, const Options& previous);

// A dependant is enabled only while the tick it depends on is checked; its
// own tick is never changed by this. Every other control is always enabled.
bool IsEnabled(const SettingView& view, int control);
// Whether the control's enabling follows another tick.
bool IsDependant(int control);

}  // namespace plivex
