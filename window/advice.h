// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure_messages.h"
#include "password_strength.h"
#include "picture_io.h"
#include "protected_picture.h"
#include "robust_picture.h"
#include "runtime_error.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace veltrin {

struct ErrorSituation
{
    Attempt attempt = Attempt::Other;
    bool passwordEmpty = false;
    QByteArray lossyFormat; // the decrypted picture's format when it is lossy, else empty
};

// The catalogue's words for the window, which speaks Chinese.

// The run-time error box: the error's number and description, then what most
// likely happened and what to do, in plain words.
QString runtimeErrorText(const RuntimeError &error, const ErrorSituation &situation);

// A decrypt that gave no text at all: a Veltrin picture always holds some, so
// the password or the picture is wrong, as for a run-time error.
QString nothingDecryptedText(const ErrorSituation &situation);

// Why a protected picture was not made (an empty situation) or not decrypted.
QString protectedFailureText(protectedPicture::Failure failure, const ErrorSituation &situation);

// Why a robust picture was not made or not read; `fits` is the most that
// fits of a text too long.
QString robustFailureText(robustPicture::Failure failure, std::size_t fits = 0);

// The robust kind has no key of its own: a password typed for it alone would
// protect nothing.
QString robustPasswordText();

// Whether to seal with a weak password anyway, with the time an attacker
// needs to find it.
QString weakPasswordQuestion(const passwordStrength::Verdict &verdict);

// The warning for a picture whose pixels lossy compression has changed.
// `subject` names the picture ("“photo.jpg”", "这张图片").
QString lossyPictureText(const QString &subject, const QByteArray &format);
// A picture whose file stops early, so that the reader filled in the rest.
QString incompletePictureText(const QString &subject);

// Why the file at `path` shows no picture.
QString refusedPictureText(const QString &path, const PictureLoad &load);

// Why nothing was pasted.
QString refusedPasteText(const PictureLoad &load);

} // namespace veltrin
