// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace veltrin {

// Starts the program as a user does: the application, its window on the real
// platform, and the event loop until the window closes. Returns the exit status.
int runWindow(int &argc, char **argv);

} // namespace veltrin
