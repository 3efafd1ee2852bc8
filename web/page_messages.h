// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "protected_picture.h"
#include "robust_picture.h"
#include "runtime_error.h"

#include <string>

namespace veltrin::web {

// What the page was doing: the window's words depend on it.
struct Situation
{
    bool decrypting = false;
    bool passwordEmpty = false;
    std::u16string lossyFormat; // "JPEG", "WebP", or empty for a lossless picture
};

// The window's message boxes, word for word, for the opened picture.
std::u16string runtimeErrorText(const RuntimeError &error, const Situation &situation);
std::u16string nothingDecryptedText(const Situation &situation);
std::u16string protectedFailureText(protectedPicture::Failure failure, const Situation &situation);
std::u16string lossyPictureText(const std::u16string &subject, const std::u16string &format);
std::u16string invalidPictureText();
// A robust picture's refusals; `fits` is what Encoded::fits gives with TextTooLong.
std::u16string robustFailureText(robustPicture::Failure failure, std::size_t fits = 0);
std::u16string robustPasswordText();

} // namespace veltrin::web
