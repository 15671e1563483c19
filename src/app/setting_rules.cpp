#include "app/setting_rules.h"

namespace plivex {

SettingView ViewFromRecord(const Options& r) {
    SettingView v;
    for (const OptionSpec& o : kOptionSpecs) {
        if (o.tick) v[o.controls[0]] = r.*o.tick;
        else
            for (std::size_t i = 0; i < o.values.size(); ++i) v[o.controls[i]] = r.*o.choice == o.values[i];
    }
    return v;
}

Options RecordFromView(const SettingView& v, const Options& previous) {
    Options r = previous;
    for (const OptionSpec& o : kOptionSpecs) {
        if (o.tick) {
            r.*o.tick = v[o.controls[0]];
            continue;
        }
        for (std::size_t i = 0; i < o.values.size(); ++i) {
            if (!v[o.controls[i]]) continue;
            r.*o.choice = o.values[i];
            break;
        }
    }
    return r;
}

namespace {

const OptionSpec* DependantAt(int control) {
    for (const OptionSpec& o : kOptionSpecs)
        if (o.enabledBy && o.controls[0] == control) return &o;
    return nullptr;
}

}  // namespace

bool IsEnabled(const SettingView& v, int control) {
    const OptionSpec* o = DependantAt(control);
    return !o || v[ControlOf(o->enabledBy)];
}

bool IsDependant(int control) { return DependantAt(control) != nullptr; }

}  // namespace plivex
