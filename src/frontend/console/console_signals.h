#pragma once

#include <functional>

namespace tavolin {

// Prepares the terminal for the program's text and calls onEnd (on a
// thread of its own) when the user interrupts the program or the system
// asks it to end. Called before any other thread is started.
void prepareConsole(std::function<void()> onEnd);

}  // namespace tavolin
