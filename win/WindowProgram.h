// The Windows program started without an option: the window, one per logon session.
#pragma once

namespace fwu::win {

// Lets go of the console when this process is the only one on it (started from Explorer, not from
// cmd.exe, which would wait for it), so that no empty console stays open beside the window.
void LeaveOwnConsole();

// Runs the window until it is closed and answers the program's exit status. A copy started while
// another one's window is open brings that window to the front and ends at once with status 0.
int RunWindowProgram();

}  // namespace fwu::win
