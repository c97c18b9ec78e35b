// Modal message box and program end on top of Qt.
#include "qtservices.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <memory>

namespace window {

namespace {

QMessageBox *newBox(const QString &prompt, QWidget *parent)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, rt::applicationTitle(), prompt,
                                QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText); // the prompt may quote user input
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
    m_box->setText(prompt);
    m_box->exec();
}

void QtEndService::endProgram()
{
    QCoreApplication::exit(0);
}

} // namespace window
