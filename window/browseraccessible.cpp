// The page elements of the window's accessible objects, completed where Qt 6.8 leaves them bare,
// and the browser's focus kept on the element of the control that has Qt's.
#include "browseraccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QtGui/private/qaccessiblebridgeutils_p.h>
#include <QtGui/private/qguiapplication_p.h>
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <string>

namespace window {

namespace {

using emscripten::val;
using namespace Qt::StringLiterals;

bool enabled = false;

QPlatformAccessibility *platformAccessibility()
{
    return QGuiApplicationPrivate::platformIntegration()->accessibility();
}

// Qt keeps its elements in the shadow roots of the page's screen elements.
val findInQtElements(const std::string &selector)
{
    const val hosts = val::global("document").call<val>("querySelectorAll", std::string("*"));
    for (int i = 0, n = hosts["length"].as<int>(); i < n; ++i) {
        const val root = hosts[i]["shadowRoot"];
        if (root.isNull() || root.isUndefined())
            continue;
        val found = root.call<val>("querySelector", selector);
        if (!found.isNull())
            return found;
    }
    return val::null();
}

// Qt names each element by the interface's accessible id, which may hold dots: an attribute
// selector takes it as it is.
val elementOf(QAccessibleInterface *iface)
{
    QString id = QAccessibleBridgeUtils::accessibleId(iface);
    id.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return findInQtElements("[id=\"" + id.toStdString() + "\"]");
}

void setAttribute(val &element, const char *name, const QString &value)
{
    element.call<void>("setAttribute", std::string(name), value.toStdString());
}

// The children's elements are the element's own for screen readers: Qt puts every element
// side by side in the window's container.
void ownChildren(val &element, QAccessibleInterface *iface)
{
    QStringList ids;
    for (int i = 0; i < iface->childCount(); ++i)
        ids << QAccessibleBridgeUtils::accessibleId(iface->child(i));
    // Set anew each time: WebKit forgets what an element owns when the owned elements move (a
    // message box shown again is a new window, where Qt moves them), and keeps forgetting if the
    // attribute is given the value it has.
    element.call<void>("removeAttribute", std::string("aria-owns"));
    setAttribute(element, "aria-owns", ids.join(u' '));
}

// The texts of a message box, which a screen reader reads as the box's description.
QString textsOf(QAccessibleInterface *box)
{
    QStringList ids;
    for (int i = 0; i < box->childCount(); ++i) {
        QAccessibleInterface *child = box->child(i);
        if (child->role() == QAccessible::StaticText && !child->text(QAccessible::Name).isEmpty())
            ids << QAccessibleBridgeUtils::accessibleId(child);
    }
    return ids.join(u' ');
}

QAccessibleInterface *boxOf(QAccessibleInterface *iface)
{
    for (; iface; iface = iface->parent())
        if (iface->role() == QAccessible::Dialog || iface->role() == QAccessible::AlertMessage)
            return iface;
    return nullptr;
}

bool hasRadioButtons(QAccessibleInterface *iface)
{
    for (int i = 0; i < iface->childCount(); ++i)
        if (iface->child(i)->role() == QAccessible::RadioButton)
            return true;
    return false;
}

// What Qt leaves out of the element of one accessible object.
void complete(QAccessibleInterface *iface)
{
    if (!iface || !iface->isValid())
        return;
    val element = elementOf(iface);
    if (element.isNull())
        return;
    const QString name = iface->text(QAccessible::Name);
    switch (iface->role()) {
    case QAccessible::EditableText:
        setAttribute(element, "aria-label", name);
        element.set("value", iface->text(QAccessible::Value).toStdString());
        element.set("readOnly", bool(iface->state().readOnly));
        break;
    case QAccessible::RadioButton:
        setAttribute(element, "aria-label", name);
        element.set("checked", bool(iface->state().checked));
        break;
    case QAccessible::Grouping:
        setAttribute(element, "role", hasRadioButtons(iface) ? u"radiogroup"_s : u"group"_s);
        setAttribute(element, "aria-label", name);
        ownChildren(element, iface);
        break;
    case QAccessible::MenuBar:
        setAttribute(element, "aria-label", name);
        ownChildren(element, iface);
        break;
    case QAccessible::StaticText:
        // A label that names a box is read as the box's name, not as text of its own.
        if (const auto *label = qobject_cast<QLabel *>(iface->object()); label && label->buddy())
            setAttribute(element, "aria-hidden", QStringLiteral("true"));
        break;
    case QAccessible::AlertMessage:
    case QAccessible::Dialog:
        setAttribute(element, "role",
                     iface->role() == QAccessible::Dialog ? QStringLiteral("dialog")
                                                          : QStringLiteral("alertdialog"));
        setAttribute(element, "aria-modal", QStringLiteral("true"));
        setAttribute(element, "aria-label", name);
        setAttribute(element, "aria-describedby", textsOf(iface));
        ownChildren(element, iface);
        break;
    case QAccessible::Button:
        // A box's button, which takes the focus as the box opens, carries the box's message:
        // a screen reader reads it with the button, whatever it makes of the box around it.
        if (QAccessibleInterface *box = boxOf(iface))
            setAttribute(element, "aria-describedby", textsOf(box));
        break;
    default:
        break;
    }
}

// What the window says without moving the focus (a result, an option, the boxes emptied): Qt
// leaves its announcement events out of the page, so the program speaks them through a live
// region of its own, out of sight.
constexpr const char *announcementsId = "conversione-annunci";

void addAnnouncementRegion()
{
    // Made once a page: starting the program again loads the page again.
    val document = val::global("document");
    val region = document.call<val>("createElement", std::string("div"));
    region.set("id", announcementsId);
    setAttribute(region, "role", u"status"_s);
    setAttribute(region, "style",
                 u"position: absolute; width: 1px; height: 1px; overflow: hidden; "
                 "clip-path: inset(50%); white-space: nowrap"_s);
    document["body"].call<void>("appendChild", region);
}

constexpr int announcementDelay = 150; // milliseconds

void speak(const QString &message)
{
    val region = val::global("document").call<val>("getElementById", std::string(announcementsId));
    if (!region.isNull())
        region.set("textContent", message.toStdString());
}

val keyboardField()
{
    return val::global("document").call<val>("querySelector", std::string("body > input"));
}

// The keyboard's element: Qt's input method takes every key through one hidden text field of
// the page, which holds the browser's focus whatever control has Qt's (but for a message box's
// buttons, below). It is given the focused control's role, name and state, so that a screen
// reader following the focus reads the control.
void describeFocus(QAccessibleInterface *iface)
{
    val field = keyboardField();
    if (field.isNull() || !iface || !iface->isValid())
        return;
    // The menu bar has Qt's focus as a whole: what is read is the item highlighted in it.
    if (iface->role() == QAccessible::MenuBar) {
        for (int i = 0; i < iface->childCount(); ++i) {
            if (QAccessibleInterface *item = iface->child(i); item && item->state().focused) {
                iface = item;
                break;
            }
        }
    }
    static const QHash<QAccessible::Role, QString> roles {
        { QAccessible::EditableText, QStringLiteral("textbox") },
        { QAccessible::Button, QStringLiteral("button") },
        { QAccessible::RadioButton, QStringLiteral("radio") },
        { QAccessible::MenuItem, QStringLiteral("menuitem") },
    };
    field.call<void>("removeAttribute", std::string("aria-hidden"));
    setAttribute(field, "role", roles.value(iface->role(), QStringLiteral("textbox")));
    setAttribute(field, "aria-label", iface->text(QAccessible::Name));
    setAttribute(field, "aria-readonly", iface->state().readOnly ? u"true"_s : u"false"_s);
    const bool takesText = iface->role() == QAccessible::EditableText && !iface->state().readOnly;
    // A phone's keyboard comes up only for a box the user can type into.
    field.set("inputMode", takesText ? "text" : "none");
    // The field keeps what the browser typed into it, taken or not: it shows the box's value.
    field.set("value",
              iface->role() == QAccessible::EditableText
                  ? iface->text(QAccessible::Value).toStdString()
                  : std::string());
    if (iface->role() == QAccessible::RadioButton)
        setAttribute(field, "aria-checked", iface->state().checked ? u"true"_s : u"false"_s);
    else
        field.call<void>("removeAttribute", std::string("aria-checked"));
}

// Whether the browser's focus goes to the control's own element rather than to the keyboard's
// field: a control of a modal box that takes no text, as a message box's OK. A screen reader
// then lands in the box, read as an alert dialog with its text, and the keys still reach Qt: the
// element is inside the box's window element, where Qt listens for them. Text goes through the
// field, where the browser's input methods compose it.
bool focusedInElement(const QWidget *widget)
{
    const QWidget *modal = QApplication::activeModalWidget();
    return widget && modal && widget->window() == modal
        && !widget->testAttribute(Qt::WA_InputMethodEnabled);
}

// The element with the browser's focus, looked for inside shadow roots; null where none has it.
val activeElement()
{
    val active = val::global("document")["activeElement"];
    while (!active.isNull() && !active.isUndefined()) {
        const val root = active["shadowRoot"];
        const val inner = root.isNull() || root.isUndefined() ? val::null() : root["activeElement"];
        if (inner.isNull() || inner.isUndefined())
            break;
        active = inner;
    }
    return active.isUndefined() ? val::null() : active;
}

// Qt's elements (canvases, accessible elements) are in shadow roots; the page's are not.
bool isQtElement(const val &element)
{
    return !element.call<val>("getRootNode")["host"].isUndefined();
}

void focusWithoutScrolling(val element)
{
    val options = val::object();
    options.set("preventScroll", true);
    element.call<void>("focus", options);
}

// Qt 6.8 makes a message box shown a second time the active window without giving the focus to
// the control the box holds: no widget has the focus, and the keys reach the box alone. The box's
// own focus widget takes it, as the first time.
QWidget *focusInShownBox()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isActiveWindow() || !modal->focusWidget())
        return nullptr;
    modal->focusWidget()->setFocus(Qt::ActiveWindowFocusReason);
    return QApplication::focusWidget();
}

bool placementPending = false;
int placementRetries = 0;

// Moves the browser's focus where Qt's is: into a message box onto its button's element, else to
// the keyboard's field. Qt focuses the field itself whenever its focus changes, and a click on a
// window's canvas focuses the canvas: this runs after both. What the page's own controls hold is
// left alone.
void placeFocus()
{
    placementPending = false;
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        focused = focusInShownBox();
    // A box closing still has the focus for a moment: the window it goes back to takes it next.
    if (!enabled || !focused || !focused->window()->isVisible() || QCoreApplication::closingDown())
        return;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(focused);
    const val active = activeElement();
    if (focusedInElement(focused)) {
        val element = elementOf(iface);
        if (element.isNull()) {
            // Qt makes the elements of a box as it is shown, once the box is on the page.
            if (placementRetries++ < 25)
                QTimer::singleShot(20, &placeFocus);
            return;
        }
        placementRetries = 0;
        if (!element.strictlyEquals(active))
            focusWithoutScrolling(element);
        // The field still reads as the control it last stood for (the box's OK itself, told
        // before the box was modal): out of the tree while the box is open.
        if (val field = keyboardField(); !field.isNull())
            setAttribute(field, "aria-hidden", u"true"_s);
        return;
    }
    placementRetries = 0;
    val field = keyboardField();
    if (field.isNull())
        return;
    // Qt tells no focus event of its own for a menu bar taking the focus: the field is told here.
    if (field.strictlyEquals(active)) {
        describeFocus(iface);
        return;
    }
    if (active.isNull() || active.strictlyEquals(val::global("document")["body"])
        || isQtElement(active)) {
        describeFocus(iface);
        focusWithoutScrolling(field);
    }
}

// After what moves the focus is done with: Qt's own handling, and the browser's default action.
void placeFocusSoon()
{
    if (placementPending)
        return;
    placementPending = true;
    QMetaObject::invokeMethod(qApp, &placeFocus, Qt::QueuedConnection);
}

void focusMoved(val)
{
    if (enabled && !QCoreApplication::closingDown())
        placeFocusSoon();
}

// The menu bar keeps Qt's focus while its items are highlighted in turn: the item highlighted
// is what a screen reader reads.
bool isItemOf(QAccessibleInterface *iface, QWidget *focused)
{
    QAccessibleInterface *parent = iface->parent();
    return focused && iface->role() == QAccessible::MenuItem && parent
        && parent->object() == focused;
}

void completeTree(QAccessibleInterface *iface)
{
    complete(iface);
    for (int i = 0; iface && i < iface->childCount(); ++i)
        completeTree(iface->child(i));
}

// Qt's own handling first, which makes the element; then what it leaves out, on the object and
// on its parent, whose list of children may have grown.
// Nothing is completed for what is going away: the interface of an object being hidden or
// destroyed may stand on freed memory (Chiudi ended the program with a memory fault).
void update(QAccessibleEvent *event)
{
    platformAccessibility()->notifyAccessibilityUpdate(event);
    const auto type = event->type();
    if (!enabled || type == QAccessible::ObjectDestroyed || type == QAccessible::ObjectHide
        || QCoreApplication::closingDown())
        return;
    if (type == QAccessible::Announcement) {
        // Spoken after the focus change that may come with it (an option chosen sends the caret
        // back to Input), which a screen reader reads first and which would cut it short.
        const QString message = static_cast<QAccessibleAnnouncementEvent *>(event)->message();
        QTimer::singleShot(announcementDelay, qApp, [message] { speak(message); });
        return;
    }
    QAccessibleInterface *iface = event->accessibleInterface();
    if (!iface || !iface->isValid())
        return;
    if (type == QAccessible::ObjectShow)
        completeTree(iface);
    else
        complete(iface);
    if (QWidget *focused = QApplication::focusWidget(); iface->object() == focused) {
        if (!focusedInElement(focused))
            describeFocus(iface);
        if (type == QAccessible::Focus)
            placeFocusSoon();
    } else if (type == QAccessible::Focus && isItemOf(iface, focused)) {
        describeFocus(iface);
        // Screen readers read the focused element when the focus moves to it, not when its name
        // changes, and moving it away and back would close the menu: the item is spoken.
        speak(iface->text(QAccessible::Name));
    }
    QAccessibleInterface *parent = iface->parent();
    if (parent && parent->isValid())
        complete(parent);
}

void enable()
{
    val button = findInQtElements("button.hidden-visually-read-by-screen-reader");
    if (button.isNull()) {
        QTimer::singleShot(20, &enable); // the window is not on the page yet
        return;
    }
    button.call<void>("click");
    addAnnouncementRegion();
    enabled = true;
    platformAccessibility()->setActive(true); // widgets report their changes from now on
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            completeTree(QAccessible::queryAccessibleInterface(window));
    if (QWidget *focused = QApplication::focusWidget())
        describeFocus(QAccessible::queryAccessibleInterface(focused));
    // A focus that lands on the page's elements outside Qt's own moves, as a click on a canvas.
    val::global("window").call<void>("addEventListener", std::string("focusin"),
                                     val::module_property("conversioneFocusMoved"), true);
    QObject::connect(qApp, &QGuiApplication::focusObjectChanged, qApp, &placeFocusSoon);
}

} // namespace

void endBrowserAccessibility()
{
    if (enabled)
        val::global("window").call<void>("removeEventListener", std::string("focusin"),
                                         val::module_property("conversioneFocusMoved"), true);
    enabled = false;
    QAccessible::installUpdateHandler(nullptr);
    platformAccessibility()->setActive(false);
}

void completeBrowserAccessibility()
{
    QAccessible::installUpdateHandler(&update);
    QTimer::singleShot(0, &enable);
}

} // namespace window

EMSCRIPTEN_BINDINGS(conversione_browser_focus)
{
    emscripten::function("conversioneFocusMoved", &window::focusMoved);
}
