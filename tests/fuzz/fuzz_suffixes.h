// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The file name suffixes a fuzz input can carry, picked by its first byte.
inline constexpr std::array<const char *, 12> fuzzSuffixes{
    "bmp", "png", "jpg", "gif", "tif", "webp", "tga", "pbm", "pgm", "ppm", "ico", "dat"};

inline QString fuzzSuffix(std::uint8_t selector)
{
    return QString::fromLatin1(fuzzSuffixes[selector % fuzzSuffixes.size()]);
}

inline std::uint8_t fuzzSelector(const QString &suffix)
{
    for (std::size_t i = 0; i < fuzzSuffixes.size(); ++i)
        if (suffix.compare(QLatin1String(fuzzSuffixes[i]), Qt::CaseInsensitive) == 0)
            return static_cast<std::uint8_t>(i);
    return static_cast<std::uint8_t>(fuzzSuffixes.size() - 1);
}
