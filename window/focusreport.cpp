// The focus reported again after the window's first activation.
#include "focusreport.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace window {

namespace {

class FocusReporter : public QObject
{
public:
    explicit FocusReporter(QWidget *window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Queued: Qt tells screen readers of the activation while it handles this event.
        if (event->type() == QEvent::WindowActivate) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [watched] { reportFocus(watched); });
        }
        return false;
    }

private:
    static void reportFocus(QObject *window)
    {
        QWidget *focused = QApplication::focusWidget();
        if (!focused || focused->window() != window || !QAccessible::isActive())
            return;
        QAccessibleEvent focus(focused, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
};

} // namespace

// On Windows, UI Automation readers take the focus from Qt's own report; a second one would be
// read twice.
void reportFocusAfterActivation(QWidget *window)
{
#ifdef Q_OS_WIN
    Q_UNUSED(window);
#else
    new FocusReporter(window);
#endif
}

} // namespace window
