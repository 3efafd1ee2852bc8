// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_dialogs.h"
#include "message_box.h"
#include "tick_counter.h"

#include <QString>

#include <cstdint>

namespace veltrin {

// The program's code module: its file dialog and the extension that Save appends.
class Module1
{
public:
    static constexpr qsizetype fileBufferSize = 260;
    static constexpr std::uint32_t dialogFlags = OPENFILENAME::OFN_OVERWRITEPROMPT |
                                                 OPENFILENAME::OFN_HIDEREADONLY |
                                                 OPENFILENAME::OFN_CREATEPROMPT;

    Module1(FileDialogs &dialogs, TickCounter &clock, MessageBox &messages,
            QString applicationTitle = QStringLiteral("Veltrin"));

    // The path the user confirmed in the Open (isSave zero) or Save dialog;
    // empty after a cancel, a failure or an initial name over 260 characters.
    QString FileDialog(const std::int16_t &isSave, const QString &dialogTitle,
                       const QString &filter, const QString &initialFile = {},
                       const QString &defaultExt = {}, const QString &initialDir = {});

    const QString &applicationTitle() const { return applicationTitle_; }

    // The extension of the filter chosen in the last dialog that got past the
    // length check ("bmp" for "*.bmp"): the first filter's while the dialog
    // shows and after a cancel, then the one the dialog reports. Empty for a
    // filter whose pattern names no extension.
    QString filterExtension;

private:
    int showDialog(bool save, OPENFILENAME &ofn);

    FileDialogs &dialogs_;
    TickCounter &clock_;
    MessageBox &messages_;
    QString applicationTitle_;
};

} // namespace veltrin
