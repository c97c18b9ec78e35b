// The real executable, started as a user starts it (on Qt's offscreen platform): it shows its
// window with the focus in Input, waits in its event loop, and ends with status 0 when the
// window is closed; without a display it ends with status 1 and one plain message. The window
// is watched and closed from inside by the probe plugin (tests/gui/probe).
#include "startupfacts.h"

#include <QHash>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void runs_data();
    void runs();
    void noDisplay_data();
    void noDisplay();

private:
    QHash<QString, QString> m_seen; // what the probe printed, and "exit" for how it ended
};

void TestProgram::initTestCase()
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_PLUGIN_PATH"_s, QStringLiteral(CONVERSIONE_PROBE_PATH));
    environment.insert(u"QT_QPA_GENERIC_PLUGINS"_s, u"conversioneprobe"_s);
    // An English locale: Qt's texts must be Italian all the same.
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    environment.insert(u"LANGUAGE"_s, u"en"_s);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CONVERSIONE_PROGRAM_PATH), {});
    QVERIFY(program.waitForStarted());
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        m_seen.insert(u"exit"_s, u"still running after the window closed"_s);
    } else if (program.exitStatus() != QProcess::NormalExit) {
        m_seen.insert(u"exit"_s, u"crashed"_s);
    } else {
        m_seen.insert(u"exit"_s, u"status "_s + QString::number(program.exitCode()));
    }
    const QString output = QString::fromUtf8(program.readAllStandardOutput());
    for (const QString &line : output.split(u'\n', Qt::SkipEmptyParts))
        m_seen.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    const QByteArray errors = program.readAllStandardError();
    if (!errors.isEmpty())
        qWarning("the program printed: %s", errors.constData());
}

void TestProgram::runs_data()
{
    QTest::addColumn<QString>("fact");
    QTest::addColumn<QString>("value");
    QTest::newRow("window shown") << u"window"_s << u"Conversione, shown"_s;
    QTest::newRow("focus in Input") << u"focus"_s << u"Text1"_s;
    QTest::newRow("in its event loop") << u"event loop"_s << u"running"_s;
    QTest::newRow("closed: status 0") << u"exit"_s << u"status 0"_s;
    // The entry point runs the same start-up as the tests.
    for (const auto &[fact, value] : startupfacts::expected())
        QTest::newRow(qPrintable(u"start-up: "_s + fact))
            << fact << QString(value).replace(u'\t', u' ');
}

void TestProgram::runs()
{
    QFETCH(QString, fact);
    QFETCH(QString, value);
    QCOMPARE(m_seen.value(fact, u"not reported"_s), value);
}

void TestProgram::noDisplay_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("message");
    QTest::newRow("no display at all")
        << QString()
        << u"conversione: no display found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
           "Start it from a desktop session, or under a virtual display:\n"
           "  xvfb-run -a conversione\n"_s;
    QTest::newRow("a platform Qt lacks")
        << u"nosuch"_s
        << u"conversione: cannot open a window: Qt's platform plugin \"nosuch\" is not "
           "installed.\nInstall it, or start the program from a desktop session.\n"_s;
}

// Qt's own notes and abort are replaced by the one message, and the status is 1.
void TestProgram::noDisplay()
{
    QFETCH(QString, platform);
    QFETCH(QString, message);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    if (!platform.isEmpty())
        environment.insert(u"QT_QPA_PLATFORM"_s, platform);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CONVERSIONE_PROGRAM_PATH), {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), message);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
