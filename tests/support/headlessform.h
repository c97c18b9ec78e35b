// A form without a window for the conversion procedures: two texts, two options, and a message
// box that records what it was asked to show.
#pragma once

#include "form.h"

#include <QStringList>

class RecordingMessageBox : public rt::MessageBoxService
{
public:
    void showMessage(const QString &prompt) override { shown.append(prompt); }
    QStringList shown;
};

class HeadlessForm : public Modulo1::Form
{
public:
    QString text(Modulo1::Box box) const override
    {
        return box == Modulo1::Box::Text1 ? text1 : text2;
    }
    void setText(Modulo1::Box box, const QString &text) override
    {
        (box == Modulo1::Box::Text1 ? text1 : text2) = text;
    }
    bool option(Modulo1::Option option) const override
    {
        return (option == Modulo1::Option::Option1) == binario;
    }
    void focusText1() override { ++focusRequests; }
    rt::MessageBoxService &messageBoxes() override { return messages; }

    QString text1;
    QString text2;
    bool binario = true;
    int focusRequests = 0;
    RecordingMessageBox messages;
};
