#include "dialogs/placement.h"

namespace plivex {

Point ClampToScreen(Point p, std::int32_t formWidth, std::int32_t formHeight, ScreenSize screen) {
    if (p.left < 0) p.left = 0;
    if (screen.width < p.left + formWidth) p.left = screen.width - formWidth;
    if (p.top < 0) p.top = 0;
    if (screen.height < p.top + formHeight) p.top = screen.height - formHeight;
    return p;
}

Point WorkspaceToScreen(Point workspace, Point monitorOrigin, Point workAreaOrigin) {
    return {workspace.left + (workAreaOrigin.left - monitorOrigin.left),
            workspace.top + (workAreaOrigin.top - monitorOrigin.top)};
}

Point CenterOnScreen(std::int32_t formWidth, std::int32_t formHeight, ScreenSize screen) {
    return {(screen.width - formWidth) / 2, (screen.height - formHeight) / 2};
}

std::optional<Point> PlaceFormPosition(std::int32_t dlgPos, Point reference, std::int32_t formWidth,
                                       std::int32_t formHeight, ScreenSize screen) {
    if (dlgPos == kDialogsCentred) return CenterOnScreen(formWidth, formHeight, screen);
    if (dlgPos == kDialogsBesideOpener) return ClampToScreen(reference, formWidth, formHeight, screen);
    return std::nullopt;
}

}  // namespace plivex
