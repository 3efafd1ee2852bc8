// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_services.h"

#include "code_page.h"

namespace veltrin {

Form1Services SystemServices::services()
{
    return {random_, randomBytes_, codePage936(), messages_, dialogs_,
            clock_,  loader_,      writer_,       threads_};
}

} // namespace veltrin
