// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cipher_members.h"
#include "cipher_picture.h"

namespace veltrin {

// Where every operation of a freshly loaded window starts. The window lays
// its picture boxes out with these sizes, and the command line starts each
// operation from them, so both write the same picture for the same factors.

// The members as Form_Load leaves them.
inline CipherMembers membersAfterFormLoad()
{
    CipherMembers members;
    members.writeX = cell::homeX;
    members.readX = cell::homeX;
    return members;
}

// The picture boxes' sizes in the window's layout, in twips.
namespace startSize {
constexpr int picture1Width = 2325; // the work surface
constexpr int picture1Height = 795;
constexpr int picture5Width = 2565; // the result, which Save writes
constexpr int picture5Height = 915;
constexpr int picture4Width = 2520; // the picture Open shows
constexpr int picture4Height = 465;
} // namespace startSize

} // namespace veltrin
