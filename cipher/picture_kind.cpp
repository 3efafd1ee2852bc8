// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_kind.h"

namespace veltrin {

Recognition recognise(const Picture &picture, const protectedPicture::KdfCost &bound)
{
    if (!protectedPicture::hasSignature(picture))
        return {PictureKind::Classic, {{}, protectedPicture::Failure::None}};
    return {PictureKind::Protected, protectedPicture::readHeader(picture, bound)};
}

} // namespace veltrin
