// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_work.h"

#include <QApplication>
#include <QDropEvent>
#include <QEvent>
#include <QEventLoop>
#include <QScopeGuard>
#include <QWindow>

#include <exception>
#include <system_error>

namespace veltrin {

namespace {

bool running = false;

// Drops what the user does: clicks, keys and the wheel. The window's close
// is held back and a drop refused, each remembered for the caller.
class InputDropper final : public QObject
{
public:
    explicit InputDropper(QWidget *window) : window_(window) {}

    bool closeAsked = false;
    bool dropRefused = false;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            // A tooltip or a popup closes itself too: only the window's own
            // close, from the user or the system, waits.
            if (watched != window_ && watched != window_->windowHandle())
                return false;
            closeAsked = true;
            event->ignore(); // an accepted close would go ahead
            return true;
        case QEvent::Drop:
            dropRefused = true;
            static_cast<QDropEvent *>(event)->setDropAction(Qt::IgnoreAction);
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            event->accept();
            return true;
        default:
            return false;
        }
    }

private:
    QWidget *window_;
};

} // namespace

bool busy()
{
    return running;
}

BusyEnd runWhileBusy(WorkerThreads &threads, QWidget *window,
                     std::initializer_list<QWidget *> disabled, const std::function<void()> &work)
{
    running = true;
    for (QWidget *widget : disabled)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    InputDropper dropper(window);
    qApp->installEventFilter(&dropper);
    const auto restore = qScopeGuard([&] {
        qApp->removeEventFilter(&dropper);
        QApplication::restoreOverrideCursor();
        for (QWidget *widget : disabled)
            widget->setEnabled(true);
        running = false;
    });

    BusyEnd end;
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker;
    try {
        worker = threads.start([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error &error) {
        end.ran = false;
        end.whyNot = QString::fromLocal8Bit(error.what());
        return end;
    }
    loop.exec();
    worker.join();

    end.closeAsked = dropper.closeAsked;
    end.dropRefused = dropper.dropRefused;
    if (failure)
        std::rethrow_exception(failure);
    return end;
}

} // namespace veltrin
