// The options dialog's rules: record <-> control states, radio groups, enabling.
#include <gtest/gtest.h>

#include <array>

#include "app/setting_rules.h"

namespace plivex {
namespace {

// The controls, found through the option table as the dialog finds them.
constexpr int kUseMeltF = ControlOf(&Options::OpenMeltedFile), kUseManyMeltF = ControlOf(&Options::OpenManyMeltedFiles),
              kReencode = ControlOf(&Options::ReencryptAfterUse), kDelPvF = ControlOf(&Options::DeleteContainerAfterMelt),
              kConDelUnrela = ControlOf(&Options::AskBeforeDeletingUnassociated), kUseNN = ControlOf(&Options::UseNetscapeForHelp),
              kSeePW = ControlOf(&Options::ShowPassword), kRecyclePW = ControlOf(&Options::RememberPassword),
              kStayOnTop = ControlOf(&Options::StayOnTop),
              kFOAskUser = ControlOf(&Options::OnNameClash, kAskAtClash),
              kFOAddNum = ControlOf(&Options::OnNameClash, kNumberAtClash),
              kDPSCenter = ControlOf(&Options::DialogPlacement, kDialogsCentred),
              kDPBeside = ControlOf(&Options::DialogPlacement, kDialogsBesideOpener);

// The enabled state of the three dependants: many melted files, re-encode, ask before deleting.
std::array<bool, 3> Dependants(const SettingView& v) {
    return {IsEnabled(v, kUseManyMeltF), IsEnabled(v, kReencode), IsEnabled(v, kConDelUnrela)};
}

// A record whose eleven ticks follow the bits of mask, in field order.
Options WithTicks(unsigned mask, std::int32_t dlgPos, std::int32_t fOverlap) {
    Options r;
    bool* fields[] = {&r.AskBeforeDeletingUnassociated, &r.ConfirmMeltedName, &r.DeleteSourceAfterEncrypt, &r.DeleteContainerAfterMelt,       &r.RememberPassword, &r.ReencryptAfterUse,
                      &r.ShowPassword,        &r.StayOnTop,    &r.OpenMeltedFile, &r.OpenManyMeltedFiles, &r.UseNetscapeForHelp};
    for (unsigned i = 0; i < 11; ++i) *fields[i] = (mask >> i) & 1u;
    r.DialogPlacement = dlgPos;
    r.OnNameClash = fOverlap;
    return r;
}

TEST(SettingRules, EveryTickTravelsToItsOwnFieldAndBack) {
    for (unsigned bit = 0; bit < 11; ++bit) {
        for (const unsigned mask : {1u << bit, 0x7FFu & ~(1u << bit)}) {
            const Options shown = WithTicks(mask, kDialogsBesideOpener, kAskAtClash);
            // The previous record differs in every field: all must come from the controls.
            const Options previous = WithTicks(~mask & 0x7FFu, kDialogsCentred, kNumberAtClash);
            EXPECT_EQ(RecordFromView(ViewFromRecord(shown), previous), shown) << "mask " << mask;
        }
    }
    const SettingView view = ViewFromRecord(Options{});
    EXPECT_TRUE(view[kUseMeltF] && view[kReencode] && view[kDelPvF] && view[kConDelUnrela] && view[kUseNN]);
    EXPECT_FALSE(view[kUseManyMeltF] || view[kSeePW] || view[kRecyclePW] || view[kStayOnTop]);
    EXPECT_TRUE(view[kFOAddNum] && view[kDPSCenter]);
    EXPECT_FALSE(view[kFOAskUser] || view[kDPBeside]);
}

TEST(SettingRules, RadioGroupsSelectOnlyTheirOwnValuesAndKeepOthers) {
    const auto fo = [](std::int32_t v) {
        const SettingView s = ViewFromRecord(WithTicks(0, kDialogsCentred, v));
        return std::pair{s[kFOAskUser], s[kFOAddNum]};
    };
    const auto dp = [](std::int32_t v) {
        const SettingView s = ViewFromRecord(WithTicks(0, v, kNumberAtClash));
        return std::pair{s[kDPSCenter], s[kDPBeside]};
    };
    EXPECT_EQ(fo(0), std::pair(true, false));
    EXPECT_EQ(fo(2), std::pair(false, true));
    for (const std::int32_t other : {1, 5, -1}) EXPECT_EQ(fo(other), std::pair(false, false)) << other;
    EXPECT_EQ(dp(0), std::pair(true, false));
    EXPECT_EQ(dp(1), std::pair(false, true));
    for (const std::int32_t other : {2, 7, -3}) EXPECT_EQ(dp(other), std::pair(false, false)) << other;

    // Nothing selected: the stored values survive a confirmation unchanged.
    const Options odd = WithTicks(0x155, 7, 5);
    EXPECT_EQ(RecordFromView(ViewFromRecord(odd), odd), odd);
    // Nothing selected on an export from the defaults leaves the defaults.
    const Options exported = RecordFromView(ViewFromRecord(odd), Options{});
    EXPECT_EQ(exported.DialogPlacement, kDialogsCentred);
    EXPECT_EQ(exported.OnNameClash, kNumberAtClash);
    // A picked radio button replaces the odd value.
    SettingView picked = ViewFromRecord(odd);
    picked[kFOAskUser] = true;
    picked[kDPBeside] = true;
    const Options chosen = RecordFromView(picked, odd);
    EXPECT_EQ(chosen.OnNameClash, kAskAtClash);
    EXPECT_EQ(chosen.DialogPlacement, kDialogsBesideOpener);
}

TEST(SettingRules, DependantsAreEnabledOnlyWithTheirOptionAndKeepTheirTicks) {
    SettingView v = ViewFromRecord(Options{});
    EXPECT_EQ(Dependants(v), (std::array{true, true, true}));
    v[kUseMeltF] = false;
    v[kUseManyMeltF] = true;
    EXPECT_EQ(Dependants(v), (std::array{false, false, true}));
    v[kDelPvF] = false;
    EXPECT_EQ(Dependants(v), (std::array{false, false, false}));
    v[kUseMeltF] = true;
    EXPECT_EQ(Dependants(v), (std::array{true, true, false}));
    // Greyed ticks are still stored.
    v[kUseMeltF] = false;
    const Options stored = RecordFromView(v, Options{});
    EXPECT_TRUE(stored.OpenManyMeltedFiles && stored.ReencryptAfterUse && stored.AskBeforeDeletingUnassociated);
    EXPECT_FALSE(stored.OpenMeltedFile || stored.DeleteContainerAfterMelt);
    // Nothing else depends on a tick.
    const SettingView none;
    for (int c = 0; c < kOptionControlEnd; ++c) {
        const bool dependant = c == kUseManyMeltF || c == kReencode || c == kConDelUnrela;
        EXPECT_TRUE(dependant || IsEnabled(none, c)) << c;
    }
}

}  // namespace
}  // namespace plivex
