// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_kind.h"

namespace veltrin {

Recognition recognise(const Picture &picture, const protectedPicture::KdfCost &bound)
{
    if (protectedPicture::hasSignature(picture))
        return {PictureKind::Protected, protectedPicture::readHeader(picture, bound), {}};
    if (robustPicture::Detected robust = robustPicture::detect(picture); robust.grid)
        return {PictureKind::Robust, {{}, protectedPicture::Failure::None}, robust.grid};
    return {PictureKind::Classic, {{}, protectedPicture::Failure::None}, {}};
}

} // namespace veltrin
