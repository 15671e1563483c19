// Where dialogs appear: centred on the screen, or on the opening window's
// top-left corner kept inside the screen.
#pragma once

#include <cstdint>
#include <optional>

#include "options/options_record.h"

namespace plivex {

struct Point {
    std::int32_t left;
    std::int32_t top;
    friend bool operator==(const Point&, const Point&) = default;
};

struct ScreenSize {
    std::int32_t width;
    std::int32_t height;
};

// Moves a position inside the screen: left and top clamps first, then right
// and bottom, so a form larger than the screen ends with its right or bottom
// edge on the screen's edge.
Point ClampToScreen(Point position, std::int32_t formWidth, std::int32_t formHeight, ScreenSize screen);

// A top-level window's restored position as the system reports it for a
// minimised window is in workspace coordinates, counted from the corner of
// its monitor's work area (a taskbar at the top or left moves that corner);
// screen coordinates add the work area's offset within the monitor.
Point WorkspaceToScreen(Point workspace, Point monitorOrigin, Point workAreaOrigin);

// Centre of the screen for a form, truncating toward zero.
Point CenterOnScreen(std::int32_t formWidth, std::int32_t formHeight, ScreenSize screen);

// The position a plain dialog form gets by DialogPlacement: centred, beside the
// reference window, or (any other value) nullopt for "leave it where it is".
std::optional<Point> PlaceFormPosition(std::int32_t dlgPos, Point reference, std::int32_t formWidth,
                                       std::int32_t formHeight, ScreenSize screen);

}  // namespace plivex
