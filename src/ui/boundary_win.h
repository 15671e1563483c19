// The edge of a window, subclass or timer procedure, which no exception may
// cross: what a handler throws is reported as an internal error, and the
// program (and a timer) goes on.
#pragma once

#include <exception>

namespace plivex::ui {

// Shows the report once: one that comes while another is still open (a timer
// failing every second) is dropped rather than stacked.
void ReportInternalError(const char* what) noexcept;

// Runs the handler; false when it threw (reported).
template <class Handler>
bool Guarded(Handler&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        ReportInternalError(e.what());
    } catch (...) {
        ReportInternalError("unknown exception");
    }
    return false;
}

}  // namespace plivex::ui
