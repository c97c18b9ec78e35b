// The program's one window: its controls, built from the stored description, and its event
// handlers. It is the global instance the conversion procedures reach.
#pragma once

#include "form.h"
#include "keycodes.h"
#include "qtservices.h"

#include <QMainWindow>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace window {

class FrmBinario : public QMainWindow, public Modulo1::Form
{
    Q_OBJECT

public:
    explicit FrmBinario(QWidget *parent = nullptr);
    ~FrmBinario() override;

    // Modulo1::Form
    QString text(Modulo1::Box box) const override;
    void setText(Modulo1::Box box, const QString &text) override;
    bool option(Modulo1::Option option) const override;
    void focusText1() override;
    rt::MessageBoxService &messageBoxes() override;

    // Tests put recording services in place of the real ones; nullptr restores them.
    void setMessageBoxService(rt::MessageBoxService *service);
    void setEndService(rt::EndService *service);

    void Command1_Click();
    void Text1_KeyDown(int keyCode, int shift);
    void Text2_KeyDown(int keyCode, int shift);
    void Option1_Click();
    void Option2_Click();
    void mnuNuovo_Click();
    void mnuChiudi_Click();

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QAction *mnuNuovo = nullptr;
    QAction *mnuChiudi = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenu();
    void connectHandlers();
    void keepTabStopOnSelectedOption();
    void convert();
    template<typename Work> void guarded(Work &&work);

    QtMessageBoxService m_qtMessageBoxes;
    QtEndService m_qtEnd;
    rt::MessageBoxService *m_messageBoxes = &m_qtMessageBoxes;
    rt::EndService *m_end = &m_qtEnd;
    Modulo1::FormInstance m_instance;
    // What the procedures wrote into Text2 during the conversion under way: the result to tell.
    QString m_resultWritten;
};

} // namespace window
