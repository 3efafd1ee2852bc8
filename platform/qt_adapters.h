// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"
#include "runtime_error.h"

#include <QImage>
#include <QString>

#include <string>

namespace veltrin {

// The core's plain picture, text and errors, as Qt holds them. Alpha is dropped:
// callers that show transparency composite first.
Picture toPicture(const QImage &image);
// RGB32 at 96 dots per inch, the resolution a picture box saves at.
QImage toQImage(const Picture &picture);

inline std::u16string toU16(const QString &text)
{
    return text.toStdU16String();
}
// The code units as they are: QString::fromUtf16 (and fromStdU16String) would
// take a leading U+FEFF or U+FFFE for a byte-order mark, dropping the one and
// swapping the bytes of every character after the other.
inline QString fromU16(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

inline RuntimeError runtimeError(int number, const QString &description)
{
    return {number, toU16(description)};
}
inline QString description(const RuntimeError &error)
{
    return fromU16(error.description());
}

} // namespace veltrin
