#include "app/setting_rules.h"

namespace plivex {

SettingView ViewFromRecord(const TCustomSet& r) {
    SettingView v;
    v.ConMeltFName = r.ConMeltFName;
    v.UseMeltF = r.UseMeltF;
    v.UseManyMeltF = r.UseManyMeltF;
    v.Reencode = r.Reencode;
    v.DelRawF = r.DelRawF;
    v.DelPvF = r.DelPvF;
    v.ConDelUnrela = r.ConDelUnrela;
    v.FOAskUser = r.FOverlap == foAskUser;
    v.FOAddNum = r.FOverlap == foAddNum;
    v.SeePW = r.SeePW;
    v.RecyclePW = r.RecyclePW;
    v.StayOnTop = r.StayOnTop;
    v.DPSCenter = r.DlgPos == dpSCenter;
    v.DPBeside = r.DlgPos == dpBeside;
    v.UseNN = r.UseNN;
    return v;
}

TCustomSet RecordFromView(const SettingView& v, const TCustomSet& previous) {
    TCustomSet r = previous;
    r.ConMeltFName = v.ConMeltFName;
    r.UseMeltF = v.UseMeltF;
    r.UseManyMeltF = v.UseManyMeltF;
    r.Reencode = v.Reencode;
    r.DelRawF = v.DelRawF;
    r.DelPvF = v.DelPvF;
    r.ConDelUnrela = v.ConDelUnrela;
    if (v.FOAskUser) r.FOverlap = foAskUser;
    else if (v.FOAddNum) r.FOverlap = foAddNum;
    r.SeePW = v.SeePW;
    r.RecyclePW = v.RecyclePW;
    r.StayOnTop = v.StayOnTop;
    if (v.DPSCenter) r.DlgPos = dpSCenter;
    else if (v.DPBeside) r.DlgPos = dpBeside;
    r.UseNN = v.UseNN;
    return r;
}

SettingEnabling EnablingFor(const SettingView& v) { return {v.UseMeltF, v.UseMeltF, v.DelPvF}; }

}  // namespace plivex
