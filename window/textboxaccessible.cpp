// The text boxes' accessible interface: Qt's line-edit behaviour over public API, with the
// attribute run fixed.
#include "textboxaccessible.h"

#include <QFontMetrics>
#include <QLineEdit>

namespace window {

TextBoxAccessible::TextBoxAccessible(QLineEdit *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
    addControllingSignal(QStringLiteral("textChanged(const QString&)"));
    addControllingSignal(QStringLiteral("returnPressed()"));
}

QLineEdit *TextBoxAccessible::box() const
{
    return static_cast<QLineEdit *>(widget());
}

// Offset -2 stands for the cursor, as in Qt's own line edit.
int TextBoxAccessible::offsetOrCursor(int offset) const
{
    return offset == -2 ? cursorPosition() : offset;
}

// An assistive technology edits a box as the keyboard can: the read-only result box not at all,
// and the input box never past its bound (refused whole, as a paste is, not cut short).
void TextBoxAccessible::replaceAll(const QString &text)
{
    if (!box()->isReadOnly() && text.size() <= box()->maxLength())
        box()->setText(text);
}

QString TextBoxAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->text();
    return QAccessibleWidget::text(t);
}

void TextBoxAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value)
        replaceAll(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State TextBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !box()->isReadOnly();
    state.readOnly = box()->isReadOnly();
    state.selectableText = true;
    return state;
}

void *TextBoxAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

void TextBoxAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
}

int TextBoxAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void TextBoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextBoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void TextBoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int TextBoxAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void TextBoxAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString TextBoxAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return QString();
    return box()->text().mid(startOffset, endOffset - startOffset);
}

QString TextBoxAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    return QAccessibleTextInterface::textBeforeOffset(offsetOrCursor(offset), boundaryType,
                                                      startOffset, endOffset);
}

QString TextBoxAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    return QAccessibleTextInterface::textAfterOffset(offsetOrCursor(offset), boundaryType,
                                                     startOffset, endOffset);
}

QString TextBoxAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    return QAccessibleTextInterface::textAtOffset(offsetOrCursor(offset), boundaryType, startOffset,
                                                  endOffset);
}

int TextBoxAccessible::characterCount() const
{
    return int(box()->text().size());
}

// Measured from the cursor, the one place whose position on screen Qt makes public.
QRect TextBoxAccessible::characterRect(int offset) const
{
    const QString character = text(offset, offset + 1);
    if (character.isEmpty())
        return QRect();
    const QString all = box()->text();
    const QFontMetrics metrics(box()->font());
    const QRect cursor = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int cursorAt = cursorPosition();
    const int x = offset >= cursorAt
        ? cursor.x() + metrics.horizontalAdvance(all.mid(cursorAt, offset - cursorAt))
        : cursor.x() - metrics.horizontalAdvance(all.mid(offset, cursorAt - offset));
    const QRect local(x, cursor.y(), metrics.horizontalAdvance(character), metrics.height());
    return QRect(box()->mapToGlobal(local.topLeft()), local.size());
}

int TextBoxAccessible::offsetAtPoint(const QPoint &point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

void TextBoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

// A box has no text attributes: one run, empty, over the whole text.
QString TextBoxAccessible::attributes(int /*offset*/, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

void TextBoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextBoxAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TextBoxAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    replaceAll(box()->text().replace(startOffset, endOffset - startOffset, text));
}

namespace {

QAccessibleInterface *textBoxFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QLineEdit"))
        return nullptr;
    auto *box = qobject_cast<QLineEdit *>(object);
    return box ? new TextBoxAccessible(box) : nullptr;
}

} // namespace

void installTextBoxAccessible()
{
    QAccessible::installFactory(textBoxFactory); // Qt keeps each factory once
}

} // namespace window
