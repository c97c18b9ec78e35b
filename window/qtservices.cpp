// Modal message box and program end on top of Qt.
#include "qtservices.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace window {

void QtMessageBoxService::showMessage(const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, rt::applicationTitle(), prompt, QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText); // the prompt may quote user input
    box.exec();
}

void QtEndService::endProgram()
{
    QCoreApplication::exit(0);
}

} // namespace window
