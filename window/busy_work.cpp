// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_work.h"

#include <QApplication>
#include <QDropEvent>
#include <QEvent>
#include <QEventLoop>
#include <QScopeGuard>

#include <exception>
#include <system_error>

namespace veltrin {

namespace {

bool running = false;

// Drops what the user does: clicks, keys and the wheel. A close is held back
// and a drop refused, each remembered for the caller.
class InputDropper final : public QObject
{
public:
    bool closeAsked = false;
    bool dropRefused = false;

    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Close:
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
};

} // namespace

bool busy()
{
    return running;
}

BusyEnd runWhileBusy(WorkerThreads &threads, std::initializer_list<QWidget *> disabled,
                     const std::function<void()> &work)
{
    running = true;
    for (QWidget *widget : disabled)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    InputDropper dropper;
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
