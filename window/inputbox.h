// The input box: a line edit that holds at most a given number of characters. A paste, a drop
// or typing that would go past it is refused whole, before the line edit takes a character of
// it (it would otherwise cut the text silently, after keeping an undo entry per character).
#pragma once

#include <QClipboard>
#include <QLineEdit>

class QMenu;

namespace window {

class InputBox : public QLineEdit
{
    Q_OBJECT

public:
    InputBox(qsizetype longest, QWidget *parent = nullptr);

signals:
    // The box refused a text and kept what it had. Emitted at once, except for a drop, where it
    // comes from the event loop once the drag has ended.
    void refusedTooLong();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool fits(qsizetype inserted, bool replacingSelection) const;
    bool clipboardFits(QClipboard::Mode mode, bool replacingSelection);
    void pasteIfFits();
    void replacePasteAction(QMenu *menu);
};

} // namespace window
