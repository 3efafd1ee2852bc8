// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "memory_surface.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace veltrin {

// The core's surface with the pictures Qt loads and shows.
class PictureSurface : public MemorySurface
{
public:
    using MemorySurface::MemorySurface;
    using MemorySurface::setPicture;

    // Shows a loaded picture at (0, 0) and takes its size; none clears the surface.
    void setPicture(const std::optional<QImage> &picture);
    // The drawing area as Qt paints and saves it; made again only after a change.
    QImage qImage() const;
    // Outer size in pixels, border included.
    QSize outerSize() const { return {outerWidth(), outerHeight()}; }

private:
    mutable QImage shown_;
    mutable std::optional<std::uint64_t> shownRevision_;
};

} // namespace veltrin
