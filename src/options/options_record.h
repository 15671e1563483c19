// The record of every user option, copied whole, and the one table that says
// for each option how it is stored, exported, shown and what it starts as.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace plivex {

enum DialogPosition : std::int32_t {
    kDialogsCentred = 0,       // centre dialogs on the screen
    kDialogsBesideOpener = 1,  // top-left corner on the opening window's, kept inside the screen
};

enum NameClash : std::int32_t {
    kAskAtClash = 0,        // ask with the overwrite confirmation dialog
    kNumberAtClashToo = 1,  // numbers as well; no dialog writes it, a stored one is kept
    kNumberAtClash = 2,     // give the new file a free numbered name
};

// The two enumerations are held as plain integers: stored values outside the
// enumerations are kept as read. A new record holds the table's defaults.
struct Options {
    constexpr Options();

    bool AskBeforeDeletingUnassociated = false;
    bool ConfirmMeltedName = false;
    bool DeleteSourceAfterEncrypt = false;
    bool DeleteContainerAfterMelt = false;
    bool RememberPassword = false;
    bool ReencryptAfterUse = false;
    bool ShowPassword = false;
    bool StayOnTop = false;
    bool OpenMeltedFile = false;
    bool OpenManyMeltedFiles = false;
    bool UseNetscapeForHelp = false;
    std::int32_t DialogPlacement = 0;
    std::int32_t OnNameClash = 0;
    // Containers written in the strong format (version 2), which older copies cannot open.
    bool StrongFormat = false;

    friend bool operator==(const Options&, const Options&) = default;
};

// The page of the options dialog that holds an option's control.
enum class OptionPage { kFile, kOther };

// One option. A tick is a yes/no field shown by a check box and stored as 1
// or 0; a choice is a number shown by a group of radio buttons, one for each
// value the program knows, and stored as it is.
struct OptionSpec {
    std::string_view name;  // its value under the registry's Preference key
    bool Options::*tick = nullptr;
    std::int32_t Options::*choice = nullptr;
    std::int32_t byDefault = 0;
    int exportLine = 0;          // its line in the export file, counted after the first
    bool inOlderExport = true;   // the older export file had a line for it
    bool mayBeMissing = false;   // copies before it never stored it: missing is no failure
    OptionPage page = OptionPage::kFile;
    // Its controls in the options dialog, by their places in the Tab order:
    // the check box, or the radio buttons that stand for values[0] and values[1].
    std::array<int, 2> controls{};
    std::array<std::int32_t, 2> values{};
    // A tick whose check box is enabled only while this other tick is ticked.
    bool Options::*enabledBy = nullptr;

    // The controls in use: one for a tick, one for each value of a choice.
    constexpr std::span<const int> Controls() const { return {controls.data(), tick ? 1u : controls.size()}; }

    constexpr std::int32_t Get(const Options& r) const { return tick ? (r.*tick ? 1 : 0) : r.*choice; }
    constexpr void Set(Options& r, std::int32_t v) const {
        if (tick) r.*tick = v != 0;
        else r.*choice = v;
    }
};

// Every option, in the order of the registry, which is that of the dialog's
// controls. Adding an option is a row here and its control in the dialog.
inline constexpr OptionSpec kOptionSpecs[] = {
    {.name = "ConMeltFName", .tick = &Options::ConfirmMeltedName, .byDefault = 1, .exportLine = 2, .controls = {1}},
    {.name = "UseMeltF", .tick = &Options::OpenMeltedFile, .byDefault = 1, .exportLine = 9, .controls = {2}},
    {.name = "UseManyMeltF", .tick = &Options::OpenManyMeltedFiles, .byDefault = 0, .exportLine = 10,
     .controls = {3}, .enabledBy = &Options::OpenMeltedFile},
    {.name = "Reencode", .tick = &Options::ReencryptAfterUse, .byDefault = 1, .exportLine = 6, .controls = {4},
     .enabledBy = &Options::OpenMeltedFile},
    {.name = "DelRawF", .tick = &Options::DeleteSourceAfterEncrypt, .byDefault = 1, .exportLine = 3, .controls = {5}},
    {.name = "DelPvF", .tick = &Options::DeleteContainerAfterMelt, .byDefault = 1, .exportLine = 4, .controls = {6}},
    {.name = "ConDelUnrela", .tick = &Options::AskBeforeDeletingUnassociated, .byDefault = 1, .exportLine = 1,
     .controls = {7}, .enabledBy = &Options::DeleteContainerAfterMelt},
    {.name = "FOverlap", .choice = &Options::OnNameClash, .byDefault = kNumberAtClash, .exportLine = 13,
     .controls = {8, 9}, .values = {kAskAtClash, kNumberAtClash}},
    {.name = "SeePW", .tick = &Options::ShowPassword, .byDefault = 0, .exportLine = 7, .page = OptionPage::kOther,
     .controls = {10}},
    {.name = "RecyclePW", .tick = &Options::RememberPassword, .byDefault = 0, .exportLine = 5,
     .page = OptionPage::kOther, .controls = {11}},
    {.name = "StayOnTop", .tick = &Options::StayOnTop, .byDefault = 0, .exportLine = 8,
     .page = OptionPage::kOther, .controls = {12}},
    {.name = "DlgPos", .choice = &Options::DialogPlacement, .byDefault = kDialogsCentred, .exportLine = 12,
     .page = OptionPage::kOther, .controls = {13, 14}, .values = {kDialogsCentred, kDialogsBesideOpener}},
    {.name = "UseNN", .tick = &Options::UseNetscapeForHelp, .byDefault = 1, .exportLine = 11, .inOlderExport = false,
     .page = OptionPage::kOther, .controls = {15}},
    // Place 16 is the Explorer tick, which is no option of the record. The last
    // export line: older copies stop reading before it.
    {.name = "StrongFormat", .tick = &Options::StrongFormat, .byDefault = 0, .exportLine = 14,
     .inOlderExport = false, .mayBeMissing = true, .page = OptionPage::kOther, .controls = {17}},
};

constexpr Options::Options() {
    for (const OptionSpec& o : kOptionSpecs) o.Set(*this, o.byDefault);
}

}  // namespace plivex
