// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "message_box.h"
#include "module1.h"
#include "picture_io.h"
#include "picture_surface.h"

#include <QImage>
#include <QString>

#include <optional>

namespace veltrin {

// The system loader first; the toolkit's loader only when that call fails,
// and its RuntimeError reaches the caller. No picture when nothing could be
// loaded, with the reason.
PictureLoad LoadPicture(const QString &strFileName, PictureLoader &loader);

// What an Open did: the name the dialog gave (empty after a cancel) and, when
// it gave one, what loading that file came to.
struct OpenedFile
{
    QString fileName;
    PictureLoad load;
};

// What the Open and Save buttons do.
class PictureFiles
{
public:
    PictureFiles(Module1 &module, PictureLoader &loader, PictureWriter &writer,
                 MessageBox &messages);

    // Asks for a picture and shows it in picture4 (cleared when the file holds
    // none). May throw RuntimeError from the toolkit's loader.
    OpenedFile open(PictureSurface &picture4);

    // What Open does once it has a name: shows the picture of `path` in
    // picture4, or clears picture4 when the file holds none. May throw
    // RuntimeError from the toolkit's loader.
    PictureLoad load(const QString &path, PictureSurface &picture4);

    // Asks for a name and writes picture5's image there as a BMP or a PNG file,
    // as the chosen filter says, adding its extension unless the name has it
    // already. Failures are reported in a message box. Returns the name the
    // dialog gave.
    QString save(const Surface &picture5);

private:
    // Writes through a temporary file beside `path`, which takes the place of
    // `path` only once it reads back as `image` in `format`; throws RuntimeError.
    void saveProven(const QImage &image, const QString &path, PictureFormat format);

    Module1 &module_;
    PictureLoader &loader_;
    PictureWriter &writer_;
    MessageBox &messages_;
};

} // namespace veltrin
