// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_kind.h"

namespace veltrin {

Recognition recognise(const Picture &picture, const protectedPicture::KdfCost &bound)
{
    if (protectedPicture::hasSignature(picture))
        return {PictureKind::Protected, protectedPicture::readHeader(picture, bound), {}};
    const robustPicture::Detected robust = robustPicture::detect(picture);
    if (robust.grid)
        return {PictureKind::Robust,
                {{}, protectedPicture::Failure::None},
                robust.grid,
                robust.failure};
    return {PictureKind::Classic, {{}, protectedPicture::Failure::None}, {}, robust.failure};
}

} // namespace veltrin
