// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

namespace veltrin::testing {

// An independent reading of the plain BMP forms (uncompressed 1, 4, 8, 16, 24
// and 32 bits, colour masks, OS/2 and Windows headers), written from the file
// layout so that the loader's colours can be checked against the bytes
// themselves. Returns nullopt for any form it does not cover.
std::optional<QImage> referenceDecodeBmp(const QByteArray &file);

} // namespace veltrin::testing
