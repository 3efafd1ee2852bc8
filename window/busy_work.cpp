// SPDX-License-Identifier: GPL-3.0-or-later
#include "busy_work.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>

#include <exception>
#include <thread>

namespace veltrin {

namespace {

bool running = false;

// Drops what the user does: clicks, keys, the wheel, drops and closing.
class InputDropper final : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
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

void runWhileBusy(std::initializer_list<QWidget *> disabled, const std::function<void()> &work)
{
    running = true;
    for (QWidget *widget : disabled)
        widget->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    InputDropper dropper;
    qApp->installEventFilter(&dropper);

    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    qApp->removeEventFilter(&dropper);
    QApplication::restoreOverrideCursor();
    for (QWidget *widget : disabled)
        widget->setEnabled(true);
    running = false;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace veltrin
