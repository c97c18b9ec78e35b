// The services the program asks of its surroundings beyond the window's controls: a modal
// message box and the end of the program. The window implements them with Qt; tests record.
#pragma once

#include <QString>
#include <QStringView>

namespace rt {

// The program's name: its application name, its window's title and every message box's title.
inline constexpr QStringView programName = u"Conversione";

// The title of every message box the program shows.
inline QString applicationTitle()
{
    return programName.toString();
}

class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    // Shows the prompt in a modal box with one OK button and no icon; returns once dismissed.
    virtual void showMessage(const QString &prompt) = 0;
};

class EndService
{
public:
    virtual ~EndService() = default;
    // Ends the program at once with exit status 0.
    virtual void endProgram() = 0;
};

} // namespace rt
