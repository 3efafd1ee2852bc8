// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_dialogs.h"

namespace veltrin {

// QFileDialog in the record's place. The dialogs have no owner window, so the
// main window stays usable while one shows.
class QtFileDialogs final : public FileDialogs
{
public:
    int GetOpenFileNameA(OPENFILENAME &ofn) override;
    int GetSaveFileNameA(OPENFILENAME &ofn) override;

private:
    int run(OPENFILENAME &ofn, bool save);
};

} // namespace veltrin
