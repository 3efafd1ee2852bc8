// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"
#include "protected_picture.h"

#include <QString>

namespace veltrin {
class RuntimeError;
}

namespace veltrin::cli {

// Loads a picture as Open does, or from standard input for "-"; a file that
// holds no picture Open accepts is refused with CliError(Usage). A lossy
// picture is loaded with a warning.
OpenedPicture openPicture(const QString &path);

// "run-time error <number>: <reason>", for standard error.
QString describe(const RuntimeError &error);

// Why a protected picture was not made or not decrypted.
QString describe(protectedPicture::Failure failure);

} // namespace veltrin::cli
