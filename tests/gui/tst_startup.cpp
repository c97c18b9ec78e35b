// The program's start-up, run here exactly as the program runs it (before the first window):
// what it set for the whole process.
#include "startupfacts.h"
#include "windowfixture.h"

#include <QAccessible>

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#include "notifier.h"
#endif

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void sets_data();
    void sets();
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    void notifierIsANotification();
#endif
};

void TestStartUp::sets_data()
{
    QTest::addColumn<QString>("fact");
    QTest::addColumn<QString>("value");
    for (const auto &[fact, value] : startupfacts::expected())
        QTest::newRow(qPrintable(fact)) << fact << value;
}

void TestStartUp::sets()
{
    QFETCH(QString, fact);
    QFETCH(QString, value);
    QCOMPARE(startupfacts::fact(fact), value);
}

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// The other accessibility factory (before Qt 6.8, which has announcement events): announcements
// reach a screen reader as notifications.
void TestStartUp::notifierIsANotification()
{
    QWidget owner;
    window::Notifier notifier(&owner);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&notifier);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Notification);
}
#endif

CONVERSIONE_WINDOW_TEST_MAIN(TestStartUp)
#include "tst_startup.moc"
