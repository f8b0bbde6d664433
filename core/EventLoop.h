#pragma once
// The builder runs on Qt's own event dispatcher rather than the GLib one Qt picks by default. Qt posts an
// event for every widget it makes and another for every widget it shows, and the GLib dispatcher writes to
// its wake-up descriptor for each posted event, one system call apiece; Qt's own dispatcher writes once
// until the loop has run again. Selecting 1 000 elements makes and shows 4 000 grab handles, so those
// calls were a third of the selection's time. Nothing in the builder needs GLib's loop: its file, colour
// and font dialogs are Qt's own, and sockets and timers work on either dispatcher.

namespace EventLoop {

// Chooses Qt's own dispatcher for the application object about to be made; returns argc so that it can
// run in the object's base initialiser. A QT_NO_GLIB the user has set is left as it is.
int& ChooseQtDispatcher(int& argc);

// Once the application object exists: puts the environment back, so that programs started from the
// builder do not inherit the choice.
void DispatcherChosen();

} // namespace EventLoop
