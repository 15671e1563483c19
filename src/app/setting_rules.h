// The options dialog's rules on plain values: what its controls show for a
// record, what a record becomes from its controls, and which controls are enabled.
#pragma once

#include "options/custom_set.h"

namespace plivex {

// The state of the dialog's ticks and radio buttons, one member per control.
struct SettingView {
    bool ConMeltFName = false;
    bool UseMeltF = false;
    bool UseManyMeltF = false;
    bool Reencode = false;
    bool DelRawF = false;
    bool DelPvF = false;
    bool ConDelUnrela = false;
    bool FOAskUser = false;
    bool FOAddNum = false;
    bool SeePW = false;
    bool RecyclePW = false;
    bool StayOnTop = false;
    bool DPSCenter = false;
    bool DPBeside = false;
    bool UseNN = false;
    bool StrongFormat = false;

    friend bool operator==(const SettingView&, const SettingView&) = default;
};

// The view of a record. A stored FOverlap or DlgPos that no radio button
// stands for selects none of its group, so the value is not misrepresented.
SettingView ViewFromRecord(const TCustomSet& record);

// The record the view stands for. Every tick counts, enabled or not; a radio
// group with nothing selected keeps that field of previous.
TCustomSet RecordFromView(const SettingView& view, const TCustomSet& previous);

// The dependants are enabled only while the option they depend on is ticked;
// their ticks are never changed by this.
struct SettingEnabling {
    bool UseManyMeltF = true;
    bool Reencode = true;
    bool ConDelUnrela = true;

    friend bool operator==(const SettingEnabling&, const SettingEnabling&) = default;
};
SettingEnabling EnablingFor(const SettingView& view);

}  // namespace plivex
