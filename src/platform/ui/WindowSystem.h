#pragma once
// What a window just shown needs from the window system connection.

namespace qm::ui {

// Sends what is queued for the X server (a window just shown, say) now,
// rather than when the event loop next runs; unlike a sync, it handles no
// event, so nothing runs in a window still being built. Nothing elsewhere.
void SendToWindowSystem();

}  // namespace qm::ui
