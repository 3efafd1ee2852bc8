// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"
#include "protected_picture.h"
#include "robust_picture.h"

#include <optional>
#include <string_view>

namespace veltrin {

enum class PictureKind {
    Classic,   // anything without another kind's mark: the Decryptor tells
    Protected, // the protected picture's signature, whatever the password
    Robust,    // timing edges and a header that decodes behind them
};

// What a picture is, and what refuses it before any key is derived. Every
// reader asks this one place, so none repeats the checks. The order matters:
// a signature is exact bytes, the robust detector a pattern that survives
// lossy channels, and the classic kind is whatever is left.
struct Recognition
{
    PictureKind kind = PictureKind::Classic;
    protectedPicture::HeaderRead header;     // a protected picture's header as read
    std::optional<robustPicture::Grid> grid; // a robust picture's, as the detector found it
    // With no grid: NewerVersion or Damaged when a robust header was found
    // behind timing edges but refused; a reader reports it, not a classic failure.
    robustPicture::Failure robustFailure = robustPicture::Failure::NotRobust;

    // A robust picture that carries a protected one: its header is read once
    // the robust decoder has the bytes.
    bool sealed() const
    {
        return kind == PictureKind::Robust && grid &&
               grid->packing == robustPicture::Packing::Sealed;
    }

    // Failure::None when the picture may be opened with `password`.
    protectedPicture::Failure refusal(std::u16string_view password) const
    {
        using protectedPicture::Failure;
        if (!sealed() && (kind != PictureKind::Protected || header.failure != Failure::None))
            return header.failure;
        return password.empty() ? Failure::NeedsPassword : Failure::None;
    }
};

Recognition recognise(const Picture &picture,
                      const protectedPicture::KdfCost &bound = protectedPicture::defaultCost);

} // namespace veltrin
