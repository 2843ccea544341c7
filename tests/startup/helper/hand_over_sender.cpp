// Plays a second window-mode instance for the hand-over tests of the Windows program: hands its
// raw command-line tail to the running instance. Exit code 0: handed over and accepted; 1: an
// instance runs but did not accept; 2: no other instance runs.
#include "platform/win32/win32_system.h"

int main() {
    vexav6::win32::Win32System system;
    if (!system.IsAnotherInstanceRunning()) {
        return 2;
    }
    return system.SendToRunningInstance(system.GetCommandLineTail()) ? 0 : 1;
}
