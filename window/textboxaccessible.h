// What a screen reader is told about the program's text boxes. Qt 6.4's own accessible line
// edit reports an empty attribute run at every offset, and Orca builds the current line from
// those runs, so a box's value was spoken less its last character when the focus landed in it
// (Qt 6.8 and 6.11 read it whole). This interface behaves as Qt's does, with one attribute run
// over the whole text, and on every Qt refuses an edit past the input box's bound whole.
#pragma once

#include <QAccessibleWidget>

class QLineEdit;

namespace window {

class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(QLineEdit *box);

    // QAccessibleInterface
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    QLineEdit *box() const;
    int offsetOrCursor(int offset) const;
    void replaceAll(const QString &text);
};

// Makes Qt build a TextBoxAccessible for every QLineEdit created from now on. Installing it
// again does nothing.
void installTextBoxAccessible();

} // namespace window
