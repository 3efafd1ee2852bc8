// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"
#include "protected_picture.h"

#include <string_view>

namespace veltrin {

enum class PictureKind {
    Classic,   // anything without another kind's mark: the Decryptor tells
    Protected, // the protected picture's signature, whatever the password
};

// What a picture is, and what refuses it before any key is derived. Every
// reader asks this one place, so none repeats the checks.
struct Recognition
{
    PictureKind kind = PictureKind::Classic;
    protectedPicture::HeaderRead header; // a protected picture's header as read

    // Failure::None when the picture may be opened with `password`.
    protectedPicture::Failure refusal(std::u16string_view password) const
    {
        using protectedPicture::Failure;
        if (kind != PictureKind::Protected || header.failure != Failure::None)
            return header.failure;
        return password.empty() ? Failure::NeedsPassword : Failure::None;
    }
};

Recognition recognise(const Picture &picture,
                      const protectedPicture::KdfCost &bound = protectedPicture::defaultCost);

} // namespace veltrin
