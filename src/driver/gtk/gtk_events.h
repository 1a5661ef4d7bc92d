#pragma once
// Letting the window system catch up. The run is one thread with no main loop of its own, so
// windows change on the screen only while one of these runs (or a modal dialog is open).
#include <chrono>
#include <functional>

namespace routelet {

// Handles every event that is pending at this moment, without waiting for more, then sends
// whatever drawing it produced to the display.
void HandlePendingEvents();

// Handles events, waiting for them, until `done` returns true or `limit` has passed. Returns
// whether `done` came true. For short waits on the window system itself (a window being
// mapped), never on the user.
bool HandleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace routelet
