// Helpers for the tests that drive the real window: the program's own start-up, a shown, active
// frmBinario, and a way to answer the real modal message box and record what it showed.
#pragma once

#include "frmbinario.h"
#include "startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <memory>

// The program's start-up, as on a desktop whose own style is another than the window's: Qt's
// offscreen platform always starts in Fusion, which would hide a start-up that chose none. On
// Windows the tests run on Qt's real Windows platform, which picks the system's own style.
inline std::unique_ptr<QApplication> startUpOnAnotherStyle(int &argc, char **argv)
{
#ifdef Q_OS_WIN
    return window::startUp(argc, argv);
#else
    const QPointer<QStyle> desktopStyle = QStyleFactory::create(QStringLiteral("Windows"));
    QApplication::setStyle(desktopStyle);
    auto app = window::startUp(argc, argv);
    // Set before Qt's application object existed, a style that start-up replaced belongs to
    // nobody (one still in use, or wrapped by the menu-bar proxy, is Qt's to delete).
    if (desktopStyle && !desktopStyle->parent() && QApplication::style() != desktopStyle)
        delete desktopStyle;
    return app;
#endif
}

// In place of QTEST_MAIN: the window is built on what the program's start-up set, so the tests
// run that same start-up before their first window.
#define CONVERSIONE_WINDOW_TEST_MAIN(TestObject)                                                   \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        const auto app = startUpOnAnotherStyle(argc, argv);                                        \
        QApplication::setAttribute(Qt::AA_Use96Dpi, true);                                         \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

inline std::unique_ptr<window::FrmBinario> shownWindow()
{
    auto form = std::make_unique<window::FrmBinario>();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        return nullptr;
    return form;
}

// What a real modal box showed: its title, text, icon and buttons.
struct SeenBox
{
    int count = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    int showings = 0; // how many times that box object has been answered, this time included
};

// Answers every modal box that opens while `action` runs with OK, and records it.
template<typename Action> SeenBox answeringBoxes(QObject *context, Action &&action)
{
    SeenBox seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, context, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ++seen.count;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.showings = box->property("answered").toInt() + 1;
        box->setProperty("answered", seen.showings);
        box->button(QMessageBox::Ok)->click();
    });
    timer.start();
    action();
    return seen;
}
