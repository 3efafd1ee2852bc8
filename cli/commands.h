// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command.h"

#include <memory>
#include <vector>

namespace veltrin::cli {

// Every subcommand, in the order the help lists them.
std::vector<std::unique_ptr<Command>> makeCommands();

} // namespace veltrin::cli
