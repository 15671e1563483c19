#include "app/setting_rules.h"

#include <utility>

namespace plivex {

namespace {

// The check boxes and the fields they stand for.
constexpr std::pair<bool SettingView::*, bool TCustomSet::*> kTicks[] = {
    {&SettingView::ConMeltFName, &TCustomSet::ConMeltFName}, {&SettingView::UseMeltF, &TCustomSet::UseMeltF},
    {&SettingView::UseManyMeltF, &TCustomSet::UseManyMeltF}, {&SettingView::Reencode, &TCustomSet::Reencode},
    {&SettingView::DelRawF, &TCustomSet::DelRawF},           {&SettingView::DelPvF, &TCustomSet::DelPvF},
    {&SettingView::ConDelUnrela, &TCustomSet::ConDelUnrela}, {&SettingView::SeePW, &TCustomSet::SeePW},
    {&SettingView::RecyclePW, &TCustomSet::RecyclePW},       {&SettingView::StayOnTop, &TCustomSet::StayOnTop},
    {&SettingView::UseNN, &TCustomSet::UseNN},       {&SettingView::StrongFormat, &TCustomSet::StrongFormat},
};

}  // namespace

SettingView ViewFromRecord(const TCustomSet& r) {
    SettingView v;
    for (const auto& [shown, field] : kTicks) v.*shown = r.*field;
    v.FOAskUser = r.FOverlap == foAskUser;
    v.FOAddNum = r.FOverlap == foAddNum;
    v.DPSCenter = r.DlgPos == dpSCenter;
    v.DPBeside = r.DlgPos == dpBeside;
    return v;
}

TCustomSet RecordFromView(const SettingView& v, const TCustomSet& previous) {
    TCustomSet r = previous;
    for (const auto& [shown, field] : kTicks) r.*field = v.*shown;
    if (v.FOAskUser) r.FOverlap = foAskUser;
    else if (v.FOAddNum) r.FOverlap = foAddNum;
    if (v.DPSCenter) r.DlgPos = dpSCenter;
    else if (v.DPBeside) r.DlgPos = dpBeside;
    return r;
}

SettingEnabling EnablingFor(const SettingView& v) { return {v.UseMeltF, v.UseMeltF, v.DelPvF}; }

}  // namespace plivex
