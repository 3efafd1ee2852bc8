// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace veltrin {

// embed_icon_pixels OUTPUT.cpp PNG...: writes C++ source defining
// windowIconPixels() (icon_pixels.h) with the pixels of the square PNGs, in
// the order given. Returns the process's exit status.
int writeIconPixelsSource(int argc, char **argv);

} // namespace veltrin
