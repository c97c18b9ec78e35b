// Start-up, in the order startup.h states.
#include "startup.h"

#ifdef Q_OS_WASM
#include "browser.h"
#endif
#include "fonts.h"
#include "menubarkeyboard.h"
#include "nodisplay.h"
#include "services.h"
#include "textboxaccessible.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QStyle>
#include <QTranslator>
#include <cstring>

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#include "notifier.h"
#endif

namespace window {

namespace {

// Qt opens the display while it constructs its application object; a failure there ends the
// program with a plain message instead of Qt's abort.
std::unique_ptr<QApplication> openDisplay(int &argc, char **argv)
{
    const rt::NoDisplayReport report;
    return std::make_unique<QApplication>(argc, argv);
}

// The icon is embedded as PNG renderings rather than the SVG: loading an SVG would need Qt's
// SVG image plugin at run time, one more dependency and more start-up work for a small picture.
QIcon applicationIcon()
{
    QIcon icon;
    // addFile without a size reads each file's own size, so every rendering is used as it is.
    QDirIterator files(QStringLiteral(":/conversione/icon"), { QStringLiteral("*.png") },
                       QDir::Files);
    while (files.hasNext())
        icon.addFile(files.next());
    return icon;
}

void setIdentity()
{
    QApplication::setApplicationName(rt::programName.toString());
    QApplication::setApplicationVersion(QStringLiteral(CONVERSIONE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CONVERSIONE_APP_ID));
    QApplication::setWindowIcon(applicationIcon());
}

// Qt's own texts in Italian, as the rest of the window. Debian ships them in
// qt6-translations-l10n; the Windows program carries its own copy, as Qt there is linked in
// and has no folder of its own, and looks for no file. A build without them shows Qt's English
// texts.
void translateQt(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_it"), QStringLiteral(":/conversione/i18n"))
        || translator->load(QStringLiteral("qtbase_it"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

std::unique_ptr<QApplication> startUp(int &argc, char **argv)
{
    // Qt takes its own options out of argv as it starts; the style the user named is read first.
    const QString userStyle = styleNamedByUser(argc, argv);
    std::unique_ptr<QApplication> app = openDisplay(argc, argv);
    setIdentity();
    chooseStyle(userStyle);
    highlightMenuBarItemsFromKeyboard();
    installTextBoxAccessible();
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    installNotifierAccessible(); // later Qt announces through an event of its own
#endif
    substituteMissingFonts();
#ifdef Q_OS_WASM
    prepareForBrowser();
#endif
    translateQt(*app);
    return app;
}

QString styleNamedByUser(int argc, char *argv[])
{
    // As Qt reads them: the environment first, then the arguments, the last
    // non-empty one winning.
    QString named = qEnvironmentVariable("QT_STYLE_OVERRIDE");
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (arg[0] == '-' && arg[1] == '-')
            ++arg;
        QString value;
        if (std::strncmp(arg, "-style=", 7) == 0)
            value = QString::fromLocal8Bit(arg + 7);
        else if (std::strcmp(arg, "-style") == 0 && i + 1 < argc)
            value = QString::fromLocal8Bit(argv[++i]);
        if (!value.isEmpty())
            named = value;
    }
    return named;
}

// Qt has already loaded the style the user named, if it could; keep it then. Otherwise, on
// Windows, the system's own style that Qt picked (Windows 11's, or Vista's on Windows 10), as
// every other program there looks; elsewhere Qt's own compact style, which the fixed geometry is
// drawn for, whatever the desktop's style is.
void chooseStyle(const QString &userStyle)
{
#ifdef Q_OS_WIN
    Q_UNUSED(userStyle);
#else
    if (QApplication::style()->name().compare(userStyle, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
#endif
}

} // namespace window
