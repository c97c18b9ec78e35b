// A Qt plugin that watches the real program from inside: given to it through Qt's own
// QT_QPA_GENERIC_PLUGINS, it waits for the window, prints what it finds as "fact=value" lines
// on standard output, and closes the window as a user does. The program itself has no hook for
// tests; tst_program starts it with this plugin.
#include "startupfacts.h"

#include <QElapsedTimer>
#include <QGenericPlugin>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

void print(const QString &fact, const QString &value)
{
    std::printf("%s=%s\n", qPrintable(fact), qPrintable(QString(value).replace(u'\t', u' ')));
    std::fflush(stdout);
}

QWidget *programWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == u"frmBinario")
            return widget;
    }
    return nullptr;
}

// Polls from the event loop: a window shown but no loop running means no report at all.
class Probe : public QObject
{
public:
    Probe()
    {
        m_clock.start();
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &Probe::look);
        m_timer.start();
    }

private:
    void look()
    {
        QWidget *window = programWindow();
        const bool ready = window && window->isVisible() && QApplication::focusWidget();
        if (!ready && m_clock.elapsed() < 5000)
            return;
        m_timer.stop();
        print(QStringLiteral("window"),
              window ? window->windowTitle()
                      + QString::fromLatin1(window->isVisible() ? ", shown" : ", hidden")
                     : QStringLiteral("none"));
        QWidget *focus = QApplication::focusWidget();
        print(QStringLiteral("focus"), focus ? focus->objectName() : QStringLiteral("none"));
        print(QStringLiteral("event loop"),
              QThread::currentThread()->loopLevel() > 0 ? QStringLiteral("running")
                                                        : QStringLiteral("not running"));
        for (const auto &[fact, value] : startupfacts::expected())
            print(fact, startupfacts::fact(fact));
        if (window)
            window->close();
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
};

} // namespace

class ProgramProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "programprobe.json")

public:
    QObject *create(const QString &, const QString &) override { return new Probe; }
};

#include "programprobe.moc"
