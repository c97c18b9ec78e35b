// The program in a web browser: embedded faces for Qt and for the page, keys taken in the order
// they come, read-only boxes kept so, the window fitted to the page, and the program's end.
#include "browser.h"

#include "browseraccessible.h"
#include "fonts.h"
#include "menubarkeyboard.h"

#include <QAccessible>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QRawFont>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <algorithm>
#include <cmath>
#include <emscripten.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>
#include <string>
#include <utility>

namespace window {

namespace {

using emscripten::val;

// The browser's keys reach Qt through its input method, which commits typed and pasted text to
// the focused control whether or not it takes text: a read-only box would take it.
class ReadOnlyGuard : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (event->type() != QEvent::InputMethod || !box || !box->isReadOnly())
            return false;
        // The browser's keyboard field took the text: screen readers reading it are told the
        // box's value again.
        QAccessibleValueChangeEvent unchanged(box, box->text());
        QAccessible::updateAccessibility(&unchanged);
        return true;
    }
};

// Qt's menu bar takes a tap of Alt from the shortcut event that precedes the key press, which
// the browser's keys never bring: a tap the user makes (Alt pressed and released, no other key
// nor click between) is played to the menu bar as F10 plays it. Only the browser's own events
// count, not the tap played here. The tap is played once Qt is done with the release, from a
// queued call, which the next key waits for (keysInOrder).
class AltTap : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *event) override
    {
        const auto type = event->type();
        if (!event->spontaneous()
            || (type != QEvent::KeyPress && type != QEvent::KeyRelease
                && type != QEvent::MouseButtonPress))
            return false;
        const auto *key
            = type == QEvent::MouseButtonPress ? nullptr : static_cast<QKeyEvent *>(event);
        const bool alt = key && key->key() == Qt::Key_Alt && !key->isAutoRepeat();
        if (type == QEvent::KeyRelease && alt && armed) {
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    QWidget *window = QApplication::activeWindow();
                    // Unless Qt took the tap itself after all.
                    if (window && !qobject_cast<QMenuBar *>(QApplication::focusWidget()))
                        playAltTap(window);
                },
                Qt::QueuedConnection);
        }
        if (!key || !key->isAutoRepeat())
            armed = type == QEvent::KeyPress && alt;
        return false;
    }

private:
    bool armed = false;
};

// WebKitGTK names the key of Shift+Tab "Unidentified" (GTK's key is ISO_Left_Tab), and Qt drops
// keys without a name: the key is named from its place on the keyboard, as other browsers name it.
void nameShiftTab(val &event)
{
    if (event["key"].as<std::string>() != "Unidentified"
        || event["code"].as<std::string>() != "Tab")
        return;
    val named = val::object();
    named.set("value", std::string("Tab"));
    val::global("Object").call<void>("defineProperty", event, std::string("key"), named);
}

// What a key does may end in a queued call that the next key depends on: F10 and a tap of Alt
// open the menu bar from one, an arrow in the option group sends the caret back to Input from
// one. On the desktop the calls run before the next key is read; in the browser every key is a
// task of its own, which may come first, and Right or Return after F10 went to the box. Before
// the browser hands Qt a key, the calls waiting are run.
QPointer<QWidget> modalBeforeKey;

void beforeKey(val event)
{
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return;
    QCoreApplication::sendPostedEvents();
    modalBeforeKey = QApplication::activeModalWidget();
    nameShiftTab(event);
}

// A key that opened a message box is done with: Qt's handler is still inside the box, and does
// not say so, and the browser would go on with the key's default action on the element that has
// the focus by then, the box's OK (Return would press it and close the box at once).
void afterKey(val event)
{
    if (!QCoreApplication::instance() || QCoreApplication::closingDown())
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != modalBeforeKey)
        event.call<void>("preventDefault");
}

// Listening on the page's window: before the target's own listeners (Qt's are on its keyboard
// field and on its windows' elements), and after them.
void keysInOrder(bool on)
{
    val page = val::global("window");
    const char *const call = on ? "addEventListener" : "removeEventListener";
    for (const char *type : { "keydown", "keyup" }) {
        page.call<void>(call, std::string(type), val::module_property("conversioneBeforeKey"),
                        true);
        page.call<void>(call, std::string(type), val::module_property("conversioneAfterKey"),
                        false);
    }
}

// The page draws Qt's title bars and its own text in the program's faces too, made from the
// same bytes: no second download, and no face of the browser's own under the title.
void addFaceToPage(const QString &family, const QByteArray &bytes)
{
    const val fontFace = val::global("FontFace");
    const val faces = val::global("document")["fonts"];
    if (fontFace.isUndefined() || faces.isUndefined())
        return;
    const QRawFont raw(bytes, 10);
    val descriptors = val::object();
    descriptors.set("weight", std::to_string(raw.weight()));
    descriptors.set("style", raw.style() == QFont::StyleNormal ? "normal" : "italic");
    // A copy: the program's memory, which the view shows, moves as it grows.
    const val data = val::global("Uint8Array")
                         .new_(emscripten::typed_memory_view(
                             bytes.size(), reinterpret_cast<const unsigned char *>(bytes.data())));
    faces.call<void>("add", fontFace.new_(family.toStdString(), data, descriptors));
}

void addFaces()
{
    QDirIterator faces(QStringLiteral(":/conversione/fonts"), { QStringLiteral("*.ttf") },
                       QDir::Files);
    while (faces.hasNext()) {
        QFile file(faces.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        const int id = QFontDatabase::addApplicationFontFromData(bytes);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            addFaceToPage(families.first(), bytes);
    }
}

// Qt keeps its page elements in the shadow root of one element of the page.
val qtShadowRoot()
{
    const val hosts = val::global("document").call<val>("querySelectorAll", std::string("*"));
    for (int i = 0, n = hosts["length"].as<int>(); i < n; ++i) {
        const val root = hosts[i]["shadowRoot"];
        if (!root.isNull() && !root.isUndefined())
            return root;
    }
    return val::null();
}

// Qt's own page elements, styled inside its shadow root: the title bars in the window's face at
// the window's size (Qt asks for a face browsers lack, and they fall back to their serif), and
// the elements screen readers find over the controls scaled with the window (Qt places them in
// unscaled pixels).
void styleQtElements(qreal scale)
{
    val root = qtShadowRoot();
    if (root.isNull())
        return;
    val style = root.call<val>("getElementById", std::string("conversione-stile"));
    if (style.isNull()) {
        style = val::global("document").call<val>("createElement", std::string("style"));
        style.set("id", "conversione-stile");
        root.call<void>("appendChild", style);
    }
    const QFont face = defaultFont();
    // The title bar is 18 pixels high whatever the scale.
    const qreal titleSize = std::min(face.pixelSize() * scale, 14.0);
    const QString css
        = QStringLiteral(".title-bar .window-name { font-family: \"%1\", Arial, sans-serif; "
                         "font-size: %2px; }\n"
                         ".qt-window-a11y-container { transform: scale(%3); "
                         "transform-origin: 0 0; }\n")
              .arg(face.family())
              .arg(titleSize, 0, 'f', 2)
              .arg(scale, 0, 'f', 4);
    style.set("textContent", css.toStdString());
}

// A device with a touch screen and no mouse (a phone, a tablet) shows the window as large as its
// screen takes it, for reading and for fingers; elsewhere it keeps its own size, made smaller
// only where it would not fit. A browser with no pointer at all (a headless one) is not a phone.
bool fillsScreen()
{
    const auto matches = [](const char *query) {
        return val::global("window")
            .call<val>("matchMedia", std::string(query))["matches"]
            .as<bool>();
    };
    return matches("(any-pointer: coarse)") && !matches("(any-pointer: fine)");
}

constexpr int pageMargin = 4; // CSS pixels kept free around the window

// The scale at which the window, frame and title bar included, takes the room the page gives it.
qreal fittingScale(QWidget &window)
{
    QScreen *screen = window.screen();
    const qreal current = QHighDpiScaling::factor(screen);
    const QRect room = screen->handle()->availableGeometry(); // CSS pixels
    // The frame is the page's: its size in CSS pixels does not change with the scale.
    const QMargins frame = window.windowHandle()->frameMargins() * current;
    const QSize size = window.size();
    if (size.isEmpty())
        return current;
    const qreal across
        = qreal(room.width() - frame.left() - frame.right() - 2 * pageMargin) / size.width();
    const qreal down
        = qreal(room.height() - frame.top() - frame.bottom() - 2 * pageMargin) / size.height();
    qreal scale = std::min(across, down);
    if (!fillsScreen())
        scale = std::min(scale, 1.0);
    // In steps of 1/64, that a page's small changes leave the window as it is; never so small
    // that the captions could not be read.
    return std::max(std::floor(scale * 64) / 64, 0.5);
}

// Qt's scale factor for the screen: the window drawn larger (or smaller) at the device's own
// resolution, sharp, with the pointer mapped by Qt as it is.
void setScale(QScreen *screen, qreal scale)
{
    QList<std::pair<QWindow *, QRect>> windows;
    for (QWindow *window : QGuiApplication::topLevelWindows())
        if (window->handle() && window->screen() == screen)
            windows.append({ window, window->geometry() });
    QHighDpiScaling::setScreenFactor(screen, scale);
    // Each window keeps its size in the program's pixels: in the page's it grows or shrinks.
    for (const auto &[window, geometry] : windows) {
        QWindowSystemInterface::handleWindowDevicePixelRatioChanged<
            QWindowSystemInterface::SynchronousDelivery>(window);
        window->handle()->setGeometry(QHighDpi::toNativeWindowGeometry(geometry, window));
    }
    styleQtElements(scale);
}

void fitAndCentre(QWidget &window)
{
    static bool fitting = false; // a new scale changes the screen's geometry, which calls again
    if (fitting || !window.isVisible())
        return;
    fitting = true;
    QScreen *screen = window.screen();
    const qreal scale = fittingScale(window);
    if (!qFuzzyCompare(scale, QHighDpiScaling::factor(screen)))
        setScale(screen, scale);
    // The frame as the page lays it out now: the widget's own copy of it lags behind a title bar
    // restyled since the window was shown (in Firefox and WebKit the window sat 12 pixels high).
    const QMargins margins = window.windowHandle()->frameMargins();
    QRect frame = window.geometry().marginsAdded(margins);
    const QRect room = screen->availableGeometry();
    frame.moveCenter(room.center());
    frame.moveTopLeft({ qMax(frame.left(), room.left()), qMax(frame.top(), room.top()) });
    window.setGeometry(frame.marginsRemoved(margins));
    fitting = false;
}

} // namespace

void prepareForBrowser()
{
    addFaces();
    // Message boxes are windows of their own, which do not inherit the window's font: without
    // this, Qt's fallback face.
    QApplication::setFont(defaultFont());
    QObject::connect(qGuiApp, &QGuiApplication::lastWindowClosed, qGuiApp, &endInBrowser);
    completeBrowserAccessibility();
    qApp->installEventFilter(new ReadOnlyGuard(qApp));
    qApp->installEventFilter(new AltTap(qApp));
    keysInOrder(true);
}

void showInBrowser(QWidget &window)
{
    // The window is activated while it is being shown, before its controls are visible, and Qt
    // then gives the focus to the control after the one the window asked for.
    QWidget *const focused = window.focusWidget();
    // Normal: show() makes a window in a browser fill the page.
    window.showNormal();
    if (focused)
        focused->setFocus(Qt::ActiveWindowFocusReason);
    styleQtElements(QHighDpiScaling::factor(window.screen()));
    fitAndCentre(window);
    // The page gives the window the part of it that shows: less with a phone's keyboard open,
    // another shape when the phone is turned.
    QObject::connect(window.screen(), &QScreen::availableGeometryChanged, &window,
                     [&window] { fitAndCentre(window); });
}

void endInBrowser()
{
    keysInOrder(false);
    endBrowserAccessibility();
    emscripten_force_exit(0);
}

} // namespace window

EMSCRIPTEN_BINDINGS(conversione_browser_keys)
{
    emscripten::function("conversioneBeforeKey", &window::beforeKey);
    emscripten::function("conversioneAfterKey", &window::afterKey);
}
