// Shows many message boxes through the program's own message-box service on its real window,
// each answered once it is on the screen, and prints the heap in use (mallinfo2) as it goes:
// what each box leaves behind once Qt's caches are warm. Optional arguments: the number of
// boxes (default 6000) and a limit for Qt's pixmap cache in KiB (default Qt's, 10 MiB).
#include "frmbinario.h"
#include "modulo1.h"
#include "qtservices.h"
#include "startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmapCache>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

// Answers each box once it has been exposed for two ticks, so that it has been painted.
class Answerer : public QObject
{
public:
    Answerer()
    {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, &Answerer::tick);
        m_timer.start();
    }

private:
    void tick()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed()) {
            m_ticks = 0;
            return;
        }
        if (++m_ticks >= 2) {
            m_ticks = 0;
            box->accept();
        }
    }

    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const auto app = window::startUp(argc, argv);
    const int boxes = argc > 1 ? std::atoi(argv[1]) : 6000;
    if (argc > 2)
        QPixmapCache::setCacheLimit(std::atoi(argv[2]));

    window::FrmBinario form;
    form.show();
    Answerer answerer;
    const QString message = Modulo1::notBinaryInputMessage();
    std::printf("boxes,heap_bytes\n");
    for (int i = 0; i <= boxes; ++i) {
        if (i % 500 == 0) {
            QApplication::processEvents();
            std::printf("%d,%zu\n", i, mallinfo2().uordblks);
            std::fflush(stdout);
        }
        form.messageBoxes().showMessage(message);
    }
    return 0;
}
