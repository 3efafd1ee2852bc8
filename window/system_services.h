#pragma once

#include "file_dialogs.h"
#include "form1.h"
#include "message_box.h"
#include "picture_io.h"
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
    QtMessageBox messages_;
    QtFileDialogs dialogs_;
    SystemTickCounter clock_;
    QtPictureLoader loader_;
    QtPictureWriter writer_;
};

} // namespace veltrin
