#pragma once
// What the process sets up before the application object exists.

#include <thread>

namespace vistelle {

// Without a session bus (no address given, no bus socket in the runtime folder), Qt's
// accessibility bridge would make the D-Bus library launch one through a helper program
// at start-up, only to find nobody on it. The address "disabled:" makes the library give
// up at once; with a bus, nothing changes.
void prepareEnvironment();

// Loads the font configuration on a thread of its own while the application object is
// made (it is otherwise loaded when the first text is measured); join it before that.
std::thread warmUpFonts();

} // namespace vistelle
