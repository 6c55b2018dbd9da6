// A console of the process's own that has no window at all. AllocConsole always makes a
// window (which can only be hidden after it has shown, and under Wine makes every request
// that a console program sends its console several times slower); a console made for a
// program started with CREATE_NO_WINDOW has none. So a short-lived helper, the system's
// command interpreter, is started that way, the process attaches to its console, and the
// helper is ended: the console stays while the process is attached to it.
#pragma once

namespace win {

// Frees the process's console, if any, and attaches it to a new windowless one; false (and
// no console) when the system refused any step.
bool AttachWindowlessConsole();

}  // namespace win
