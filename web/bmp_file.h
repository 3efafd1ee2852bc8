// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"

#include <cstdint>
#include <vector>

namespace veltrin::web {

// The file Save writes: 24-bit, bottom-up, 96 dpi, byte for byte as Qt's writer.
std::vector<std::uint8_t> bmpFileOf(const Picture &picture);

} // namespace veltrin::web
