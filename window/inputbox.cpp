// The input box's bound. Each way a text gets in is checked against the room left before the
// line edit sees it: the paste keys, the context menu's paste, the middle button's paste of the
// selection, a drop, typing and an input method's commit. The line edit's own maximum length
// stays behind them as a backstop.
#include "inputbox.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <algorithm>

namespace window {
namespace {

// Whether the line edit inserts a key's text: printable characters, format characters and
// surrogate pairs, but nothing typed with Ctrl held (those are commands).
bool insertsText(const QKeyEvent &event)
{
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// The line edit pastes the selection instead of the clipboard for Ctrl+Shift+Insert.
QClipboard::Mode pasteMode(const QKeyEvent &event)
{
    const bool selection = QGuiApplication::clipboard()->supportsSelection()
        && event.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)
        && event.key() == Qt::Key_Insert;
    return selection ? QClipboard::Selection : QClipboard::Clipboard;
}

} // namespace

InputBox::InputBox(qsizetype longest, QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(int(longest));
}

bool InputBox::fits(qsizetype inserted, bool replacingSelection) const
{
    const qsizetype kept = text().size() - (replacingSelection ? selectionLength() : 0);
    return inserted <= maxLength() - kept;
}

// Reads the clipboard once to measure it; a text that fits is then pasted by the line edit,
// which reads it again (a few kilobytes at most).
bool InputBox::clipboardFits(QClipboard::Mode mode, bool replacingSelection)
{
    if (fits(QGuiApplication::clipboard()->text(mode).size(), replacingSelection))
        return true;
    emit refusedTooLong();
    return false;
}

void InputBox::pasteIfFits()
{
    if (clipboardFits(QClipboard::Clipboard, true))
        paste();
}

void InputBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        if (!clipboardFits(pasteMode(*event), true))
            return;
    } else if (insertsText(*event) && !fits(event->text().size(), true)) {
        emit refusedTooLong();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void InputBox::inputMethodEvent(QInputMethodEvent *event)
{
    const qsizetype replaced = std::max(0, event->replacementLength());
    if (!fits(event->commitString().size() - replaced, true)) {
        // Keep the composition going, without its commit.
        QInputMethodEvent composing(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&composing);
        emit refusedTooLong();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

// The middle button pastes the selection at the cursor, replacing nothing.
void InputBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()
        && !clipboardFits(QClipboard::Selection, false))
        return;
    QLineEdit::mouseReleaseEvent(event);
}

// The line edit's own menu, with its paste measured first.
void InputBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    replacePasteAction(menu);
    menu->popup(event->globalPos());
}

// Qt's own paste action gives way to one of the box's own with the same caption, icon and
// state, so whatever Qt wired its action to (by name, by member function, or otherwise in a later
// Qt) never runs. Newer Qts name the action "edit-paste"; Qt 6.4 does not, and there only its
// caption tells it: the line edit's translated "&Paste", then the shortcut after a tab.
void InputBox::replacePasteAction(QMenu *menu)
{
    const QString caption = QLineEdit::tr("&Paste");
    const QList<QAction *> actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](const QAction *action) {
        const QString text = action->text();
        return action->objectName() == u"edit-paste"
            || (text.startsWith(caption)
                && (text.size() == caption.size() || text.at(caption.size()) == u'\t'));
    });
    if (found == actions.end())
        return;
    QAction *qtPaste = *found;
    auto *paste = new QAction(qtPaste->icon(), qtPaste->text(), menu);
    paste->setObjectName(qtPaste->objectName());
    paste->setEnabled(qtPaste->isEnabled());
    connect(paste, &QAction::triggered, this, &InputBox::pasteIfFits);
    menu->insertAction(qtPaste, paste);
    menu->removeAction(qtPaste);
    delete qtPaste;
}

// A drop inserts at the drop point and replaces nothing, even when it moves text within the
// box (the source removes the original afterwards), so the box must hold both copies at once.
void InputBox::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data || fits(data->text().size(), false)) {
        QLineEdit::dropEvent(event);
        return;
    }
    event->ignore();
    QDragLeaveEvent leave;
    dragLeaveEvent(&leave); // hide the drop caret
    // Not a modal box in the middle of the drag: the source waits for the drop to finish.
    QTimer::singleShot(0, this, &InputBox::refusedTooLong);
}

} // namespace window
