// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>
#include <initializer_list>

namespace veltrin {

// Runs `work` on a thread of its own while `disabled` are disabled, the
// cursor is busy and the user's input is dropped, so the window keeps
// painting instead of freezing for the key derivation. Returns once the work
// is done; an exception it throws comes out here.
void runWhileBusy(std::initializer_list<QWidget *> disabled, const std::function<void()> &work);

// Whether runWhileBusy is under way; handlers reached meanwhile (a queued
// drop, a timer) do nothing.
bool busy();

} // namespace veltrin
