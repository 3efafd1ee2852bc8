// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cipher_members.h"
#include "cipher_picture.h"

namespace veltrin::cli {

// The command line starts each operation where the window's first one
// starts, so that it writes the picture Save writes for the same factors.

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
constexpr float picture1Width = 2325; // the work surface
constexpr float picture1Height = 795;
constexpr float picture5Width = 2565; // the result, which Save writes
constexpr float picture5Height = 915;
constexpr float picture4Width = 2520; // the picture Open shows
constexpr float picture4Height = 465;
} // namespace startSize

} // namespace veltrin::cli
