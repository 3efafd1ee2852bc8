// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace veltrin::cli {

// The command line: picks the subcommand and returns the exit status.
int runCommandLine(int &argc, char **argv);

} // namespace veltrin::cli
