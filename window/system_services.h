// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "busy_work.h"
#include "form1.h"
#include "picture_io.h"
#include "protected_picture.h"
#include "qt_file_dialogs.h"
#include "qt_message_box.h"
#include "random_source.h"
#include "tick_counter.h"

namespace veltrin {

// The real platform behind the window's seams.
class SystemServices
{
public:
    Form1Services services();

private:
    SystemRandomSource random_;
    protectedPicture::SystemRandomBytes randomBytes_;
    QtMessageBox messages_;
    QtFileDialogs dialogs_;
    SystemTickCounter clock_;
    QtPictureLoader loader_;
    QtPictureWriter writer_;
    SystemWorkerThreads threads_;
};

} // namespace veltrin
