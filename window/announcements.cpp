// Announcements through an invisible notification object of the window.
#include "announcements.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QWidget>

namespace window {

namespace {

// The notifier as a screen reader sees it: a notification named by its message, inside the
// window, with no children and no place on the screen.
class NotifierAccessible : public QAccessibleObject
{
public:
    explicit NotifierAccessible(Notifier *notifier)
        : QAccessibleObject(notifier)
    {
    }

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? notifier()->message() : QString();
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(notifier()->parent());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

private:
    Notifier *notifier() const { return static_cast<Notifier *>(object()); }
};

QAccessibleInterface *notifierFactory(const QString &, QObject *object)
{
    auto *notifier = qobject_cast<Notifier *>(object);
    return notifier ? new NotifierAccessible(notifier) : nullptr;
}

} // namespace

Notifier::Notifier(QWidget *window)
    : QObject(window)
{
}

// Hidden, then shown: a screen reader takes a second "shown" from the same object for a
// repeat only when no "hidden" came between.
void Notifier::tell(const QString &message)
{
    m_message = message;
    QAccessibleEvent hidden(this, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void announce(QWidget *window, const QString &message)
{
    if (!window || message.isEmpty() || !QAccessible::isActive())
        return;
    auto *notifier = window->findChild<Notifier *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notifier)
        notifier = new Notifier(window);
    notifier->tell(message);
}

QString resultAnnouncement(const QString &result, bool binaryDigits)
{
    QString spoken = QStringLiteral("Risultato");
    if (!binaryDigits)
        return spoken + u' ' + result;
    spoken.reserve(spoken.size() + 2 * result.size());
    for (const QChar digit : result)
        spoken.append(u' ').append(digit);
    return spoken;
}

QString boxesEmptiedAnnouncement()
{
    return QStringLiteral("Input e Risultato vuoti, cursore in Input");
}

void installNotifierAccessible()
{
    QAccessible::installFactory(notifierFactory); // Qt keeps each factory once
}

} // namespace window
