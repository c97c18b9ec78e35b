// What the conversion procedures need of the window: the texts of the two boxes, the two
// option buttons, the focus, and the message box. The window implements it; tests give a
// headless form. The program's one window is registered as the global instance frmBinario.
#pragma once

#include "services.h"

#include <QString>

namespace Modulo1 {

enum class Box { Text1, Text2 };
enum class Option { Option1, Option2 };

class Form
{
public:
    virtual ~Form() = default;

    virtual QString text(Box box) const = 0;
    virtual void setText(Box box, const QString &text) = 0;
    virtual bool option(Option option) const = 0;
    virtual void focusText1() = 0;
    virtual rt::MessageBoxService &messageBoxes() = 0;
};

// The global instance. Throws std::logic_error when no form is registered.
Form &frmBinario();

// Registers a form as the global instance for the lifetime of this object.
class FormInstance
{
public:
    explicit FormInstance(Form &form);
    ~FormInstance();
    FormInstance(const FormInstance &) = delete;
    FormInstance &operator=(const FormInstance &) = delete;

private:
    Form *m_previous;
};

} // namespace Modulo1
