// The run-time services as the real program provides them: modal Qt message boxes and the end
// of the event loop.
#pragma once

#include "services.h"

#include <QPointer>

class QMessageBox;
class QWidget;

namespace window {

class QtMessageBoxService : public rt::MessageBoxService
{
public:
    explicit QtMessageBoxService(QWidget *parent)
        : m_parent(parent)
    {
    }
    void showMessage(const QString &prompt) override;

private:
    QWidget *m_parent;
    QPointer<QMessageBox> m_box; // made at the first message, a child of m_parent
};

class QtEndService : public rt::EndService
{
public:
    void endProgram() override;
};

} // namespace window
