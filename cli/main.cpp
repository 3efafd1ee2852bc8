// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_application.h"

int main(int argc, char *argv[])
{
    return veltrin::cli::runCommandLine(argc, argv);
}
