// What the window tells a screen-reader user without moving the focus: the result of a
// conversion, the option the arrow keys chose, the boxes emptied by "Nuovo".
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

// Has the screen reader say MESSAGE on behalf of WINDOW, the focus staying where it is.
void announce(QWidget *window, const QString &message);

// "Risultato 1 0 1 0" for binary digits, one by one so none is read as a quantity;
// "Risultato 10" for a decimal value.
QString resultAnnouncement(const QString &result, bool binaryDigits);

// After "Nuovo": both boxes are empty and the caret waits in the input box.
QString boxesEmptiedAnnouncement();

// Makes Qt describe every Notifier as a notification. Installing it again does nothing.
void installNotifierAccessible();

} // namespace window
