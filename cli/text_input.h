// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include "cipher_picture.h"

namespace veltrin {
class CodePage;
}

namespace veltrin::cli {

// The most a text file can hold of a text the window accepts: 12000
// characters of at most four UTF-8 bytes, and a byte-order mark.
constexpr qint64 textFileLimit = longestText * 4 + 3;

// What the picture to be made stores, beyond what every kind refuses.
enum class Storage {
    CodePage,     // classic: 12000 characters that the code page stores
    Utf8,         // protected: 12000 characters of any kind
    Utf8Measured, // robust: any character; the caller measures, to say what fits
};

// The text as the window's text box would hold it: UTF-8 decoded, a leading
// byte-order mark dropped, every line break (LF, CR LF or a lone CR) as CR LF.
// Refused with CliError(Usage), never cut or changed, when it is not UTF-8,
// is empty, or breaks the rules of `storage`: more than 12000 characters
// counted that way, or a character that `codePage` cannot store. `complete`
// is false when the file held more than was read.
QString prepareText(const QByteArray &bytes, bool complete, const CodePage &codePage,
                    Storage storage = Storage::CodePage);

} // namespace veltrin::cli
