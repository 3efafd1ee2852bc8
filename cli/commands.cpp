// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"

#include "decrypt_command.h"
#include "encrypt_command.h"
#include "info_command.h"
#include "web_command.h"

namespace veltrin::cli {

std::vector<std::unique_ptr<Command>> makeCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<EncryptCommand>());
    commands.push_back(std::make_unique<DecryptCommand>());
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<WebCommand>());
    return commands;
}

} // namespace veltrin::cli
