// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into the start-up benchmark's programs only, so that the shipped
// program has nothing of the measurement: once the top-level window named
// VELTRIN_BENCH_WINDOW has had its first paint, the application quits, and a
// run measures the start-up up to the first picture and the shutdown after it.
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class QuitAfterFirstPaint final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && widget->isWindow() &&
            widget->objectName() == QLatin1StringView(VELTRIN_BENCH_WINDOW)) {
            QCoreApplication::instance()->removeEventFilter(this);
            // Queued, so that this paint and its flush to the screen finish first.
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
        return false;
    }
};

void installQuitAfterFirstPaint()
{
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new QuitAfterFirstPaint(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installQuitAfterFirstPaint)
