// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messages.h"
#include "protected_picture.h"
#include "robust_picture.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrin {

// What the user was doing when a run-time error stopped a handler.
enum class Attempt {
    Other,
    DecryptDrawn,  // the picture that Encrypt has just drawn
    DecryptOpened, // the opened picture
};

namespace messages {

struct Situation
{
    Attempt attempt = Attempt::Other;
    bool passwordEmpty = false;
    std::u16string lossyFormat; // as formatName gives it, empty for a lossless picture
};

// A format as the user knows it: "jpg" is "JPEG".
std::u16string formatName(std::string_view format);

// The run-time error box: the error's number and description, then what most
// likely happened and what to do, in plain words. The window's and the page's
// boxes, word for word.
std::u16string runtimeErrorText(int number, std::u16string_view description,
                                const Situation &situation, Language language);

// A decrypt that gave no text at all: a Veltrin picture always holds some, so
// the password or the picture is wrong, as for a run-time error.
std::u16string nothingDecryptedText(const Situation &situation, Language language);

// Why a protected picture was not made (Attempt::Other) or not decrypted.
std::u16string protectedFailureText(protectedPicture::Failure failure, const Situation &situation,
                                    Language language);

// Why a robust picture was not made or not read; `fits` is the most that
// fits of a text too long.
std::u16string robustFailureText(robustPicture::Failure failure, std::size_t fits,
                                 Language language);

// The warning for a picture whose pixels lossy compression has changed;
// `subject` names the picture.
std::u16string lossyPictureText(std::u16string_view subject, std::u16string_view format,
                                Language language);

} // namespace messages
} // namespace veltrin
