// What the platform needs before the main dialog opens. Each platform has its
// own file: unix/startup.cpp, msw/startup.cpp.
#pragma once

// Returns false when the program cannot run here: the user has been told why,
// and the process must end without opening the dialog.
bool prepare_platform();
