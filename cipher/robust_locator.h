// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"

#include <vector>

// Finds a robust picture of version 2 inside a larger one (a screenshot of a
// chat, a web page): the square of busy black and white modules, then the
// outer edge of its dark frame against the light quiet zone on each side.
// docs/robust-picture.md, Reading, says every step.
namespace veltrin::robustPicture::locator {

// The frame's outer edges, in pixels of the picture searched.
struct Box
{
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Cheap: a few rows looked at. False when no row crosses a stretch of busy
// grey-free pixels as long as the smallest robust picture a screenshot holds.
bool worthALook(const Picture &image);

// The likeliest boxes first, at most three, then the same from deeper inside.
std::vector<Box> boxes(const Picture &image);

} // namespace veltrin::robustPicture::locator
