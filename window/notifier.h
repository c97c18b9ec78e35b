// Before Qt 6.8, which has announcement events of its own: the object that carries the window's
// announcements to screen readers. Built only against such a Qt (window/CMakeLists.txt).
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace window {

// An invisible object that screen readers see as a notification of the window it belongs to.
// Qt 6.4 has no announcement of its own; Orca speaks a notification when it is shown, wherever
// the focus is, so each message is told by showing the notifier again with the message as the
// label inside it.
class Notifier : public QObject
{
    Q_OBJECT

public:
    explicit Notifier(QWidget *window);

    void tell(const QString &message);
    QString message() const { return m_message; }
    // The object screen readers see as the label holding the message.
    QObject *textObject() const { return m_text; }

private:
    QObject *m_text;
    QString m_message;
};

// Makes Qt describe every Notifier as a notification. Installing it again does nothing.
void installNotifierAccessible();

} // namespace window
