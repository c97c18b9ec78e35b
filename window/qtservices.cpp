// Modal message box and program end on top of Qt.
#include "qtservices.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <memory>

namespace window {

namespace {

// The prompt is also the box's accessible description. Screen readers speak an alert's text
// from the labels inside it only where they find them: Orca 51 finds none in Qt 6.11's message
// box, and says only "allerta Conversione, OK pulsante". Orca 48 and later read the description
// first, and Orca 43 reads it where it finds no label, so each says the text once.
void setPrompt(QMessageBox *box, const QString &prompt)
{
    box->setText(prompt);
    box->setAccessibleDescription(prompt);
}

QMessageBox *newBox(const QString &prompt, QWidget *parent)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, rt::applicationTitle(), QString(),
                                QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText); // the prompt may quote user input
    setPrompt(box, prompt);
    return box;
}

} // namespace

// One box serves every message. A new box would bring a new icon for its OK button, and Qt's
// pixmap cache keeps the key of every icon it has drawn, evicted or not: about 0.25 KB a box
// for as long as the program runs.
void QtMessageBoxService::showMessage(const QString &prompt)
{
    if (m_box && m_box->isVisible()) {
        // A message while another is open: a box of its own, on top.
        std::unique_ptr<QMessageBox> nested(newBox(prompt, m_parent));
        nested->exec();
        return;
    }
    if (!m_box)
        m_box = newBox(prompt, m_parent);
    setPrompt(m_box, prompt);
    m_box->exec();
}

void QtEndService::endProgram()
{
    QCoreApplication::exit(0);
}

} // namespace window
