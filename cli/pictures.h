// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture_io.h"
#include "picture_kind.h"
#include "protected_picture.h"
#include "robust_picture.h"

#include <QString>

namespace veltrin {
class RuntimeError;
}

namespace veltrin::cli {

// Loads a picture as Open does, or from standard input for "-"; a file that
// holds no picture Open accepts is refused with CliError(Usage). Whether a
// lossy picture is warned about waits for its kind: see warnIfLossy.
OpenedPicture openPicture(const QString &path);

// Warns that a lossy picture's pixels may have changed, unless it is robust:
// that kind is made for lossy channels.
void warnIfLossy(const QString &path, const OpenedPicture &picture, const Recognition &kind);

// A robust picture as a reader found it: true when it has the robust mark,
// readable or not.
bool robustMarked(const Recognition &kind);

// "run-time error <number>: <reason>", for standard error; the likely cause
// of a decrypt's error depends on whether a password was given.
QString describe(const RuntimeError &error, bool passwordGiven = true);

// Why a protected picture was not made or not decrypted.
QString describe(protectedPicture::Failure failure);

// Why a robust picture was not decoded.
QString describe(robustPicture::Failure failure);

} // namespace veltrin::cli
