// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <thread>

namespace veltrin {

// Where the work runs; a test's stand-in fails as a system out of threads does.
class WorkerThreads
{
public:
    virtual ~WorkerThreads() = default;
    // Throws std::system_error when no thread can start.
    virtual std::thread start(std::function<void()> work) = 0;
};

class SystemWorkerThreads final : public WorkerThreads
{
public:
    std::thread start(std::function<void()> work) override { return std::thread(std::move(work)); }
};

// What happened while the window was busy, for the caller to act on.
struct BusyEnd
{
    bool ran = true;          // false: the work never started
    QString whyNot;           // the system's reason when it did not
    bool closeAsked = false;  // the window's close, held back until the work ended
    bool dropRefused = false; // something dropped on the window meanwhile
};

// Runs `work` on a thread of its own while `disabled` are disabled, the
// cursor is busy and the user's input is held off, so `window` keeps painting
// instead of freezing for the key derivation; a close of `window` waits for
// the end. Returns once the work is done; an exception it throws comes out
// here.
BusyEnd runWhileBusy(WorkerThreads &threads, QWidget *window,
                     std::initializer_list<QWidget *> disabled, const std::function<void()> &work);

// Whether runWhileBusy is under way; handlers reached meanwhile (a queued
// drop, a timer) do nothing.
bool busy();

} // namespace veltrin
