// Announcements as a notification object that is shown again for each message (before Qt 6.8).
#include "notifier.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QWidget>

namespace window {

namespace {

// The notifier as a screen reader sees it: a notification inside the window, with no place on
// the screen and its message as the one label inside it. Orca speaks the labels of a
// notification, shows them in braille and keeps them in its notification history; a name
// equal to the label would hide the label from it, so the notification has none.
class NotifierAccessible : public QAccessibleObject
{
public:
    explicit NotifierAccessible(Notifier *notifier)
        : QAccessibleObject(notifier)
    {
    }

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text) const override { return QString(); }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(notifier()->parent());
    }
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(notifier()->textObject())
                          : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == notifier()->textObject() ? 0 : -1;
    }

private:
    Notifier *notifier() const { return static_cast<Notifier *>(object()); }
};

// The message inside the notification, as a label.
class NotifierTextAccessible : public QAccessibleObject
{
public:
    NotifierTextAccessible(QObject *text, Notifier *notifier)
        : QAccessibleObject(text)
        , m_notifier(notifier)
    {
    }

    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? m_notifier->message() : QString();
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_notifier);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

private:
    Notifier *m_notifier;
};

QAccessibleInterface *notifierFactory(const QString &, QObject *object)
{
    if (auto *notifier = qobject_cast<Notifier *>(object))
        return new NotifierAccessible(notifier);
    auto *owner = object ? qobject_cast<Notifier *>(object->parent()) : nullptr;
    if (owner && object == owner->textObject())
        return new NotifierTextAccessible(object, owner);
    return nullptr;
}

} // namespace

Notifier::Notifier(QWidget *window)
    : QObject(window)
    , m_text(new QObject(this))
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

void installNotifierAccessible()
{
    QAccessible::installFactory(notifierFactory); // Qt keeps each factory once
}

} // namespace window
