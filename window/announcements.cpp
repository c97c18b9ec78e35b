// Announcements: an event of the window itself, or before Qt 6.8 the notifier (notifier.h).
#include "announcements.h"

#include <QAccessible>
#include <QWidget>

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#include "notifier.h"
#endif

namespace window {

// Qt 6.8 and later carry the message in an announcement event of the window itself, which
// screen readers speak as it comes, with no role word before it and nothing kept that could be
// read again later. Older Qt shows the notifier.
void announce(QWidget *window, const QString &message)
{
    if (!window || message.isEmpty() || !QAccessible::isActive())
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(window, message);
    QAccessible::updateAccessibility(&event);
#else
    auto *notifier = window->findChild<Notifier *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notifier)
        notifier = new Notifier(window);
    notifier->tell(message);
#endif
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

} // namespace window
