// Modal message box and program end on top of Qt.
#include "qtservices.h"
#ifdef Q_OS_WASM
#include "browser.h"
#endif

#include <QCoreApplication>
#include <QMessageBox>
#include <memory>

namespace window {

namespace {

// From Qt 6.8 on the prompt is also the box's accessible description. Screen readers speak an
// alert's text from the labels inside it only where they find them: Orca 51 finds none in Qt
// 6.11's message box and says only "allerta Conversione, OK pulsante", and Orca 48 missed them
// in a box shown again. Orca 48 and later read the description first, and only it. Orca 43,
// which Debian ships with Qt 6.4, reads the label and then the description as well: the text
// twice.
void setPrompt(QMessageBox *box, const QString &prompt)
{
    box->setText(prompt);
// Windows screen readers read the box's labels; there the description would be a second copy.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0) && !defined(Q_OS_WIN)
    box->setAccessibleDescription(prompt);
#endif
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
#ifdef Q_OS_WASM
    // Qt's event loop never returns in the browser: main's stack was unwound under it, and asking
    // it to quit reached an event loop that is no longer there (a memory fault, the program not
    // ended). The page is told of the end instead.
    endInBrowser();
#else
    QCoreApplication::exit(0);
#endif
}

} // namespace window
