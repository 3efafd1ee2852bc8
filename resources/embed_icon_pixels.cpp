// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon_pixels_writer.h"

int main(int argc, char *argv[])
{
    return veltrin::writeIconPixelsSource(argc, argv);
}
