#pragma once

// Identifiers of the program's resources (vexav6.rc), shared by the windows that load them.
#define IDI_APPLICATION_ICON 1
