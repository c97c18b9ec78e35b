// What the program says when it cannot open a window: on X11 and Wayland desktops Qt aborts with
// its own trace (and a core file) when no display answers or its platform plugin is missing;
// the program says instead, in one message, what the user can do, and ends with status 1.
#pragma once

#include <QString>
#include <QtGlobal>

// Desktops where Qt finds its display through DISPLAY and WAYLAND_DISPLAY.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
#define CONVERSIONE_DISPLAY_FROM_ENVIRONMENT
#endif

namespace rt {

// While one lives (around the construction of Qt's application object), Qt's failure to open a
// display ends the program with that message, and the notes Qt prints on its way there are left
// out. Where Qt opens its window without DISPLAY or WAYLAND_DISPLAY (Windows, macOS), it does
// nothing.
class NoDisplayReport
{
public:
    NoDisplayReport();
    ~NoDisplayReport();
    NoDisplayReport(const NoDisplayReport &) = delete;
    NoDisplayReport &operator=(const NoDisplayReport &) = delete;

#ifdef CONVERSIONE_DISPLAY_FROM_ENVIRONMENT
private:
    QtMessageHandler m_previous = nullptr;
#endif
};

#ifdef CONVERSIONE_DISPLAY_FROM_ENVIRONMENT
// What the program tells the user, after "conversione: ", when Qt failed with FATAL (its fatal
// message, which lists the platform plugins it has): read from the same environment Qt read.
QString noDisplayReason(const QString &fatal);
#endif

} // namespace rt
