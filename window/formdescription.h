// The stored description of frmBinario: every control with its kind, parent, caption, place
// and size, in tab order. Geometry is in twips, 15 to a logical pixel (1440 to the inch at 96 dpi),
// so Qt's own high-DPI scaling keeps the layout exact at any scale factor.
#pragma once

#include "services.h"

#include <QRect>
#include <QStringView>
#include <array>

namespace window {

constexpr int twipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / twipsPerPixel;
}

enum class ControlKind { TextBox, CommandButton, Frame, OptionButton, Label };

struct ControlDescription
{
    QStringView name;
    ControlKind kind;
    QStringView parent; // empty: the window's client area
    QStringView caption;
    int left, top, width, height; // twips, from the parent's top-left corner

    constexpr QRect pixelGeometry() const
    {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                     twipsToPixels(height));
    }
};

constexpr QStringView formTitle = rt::programName;
constexpr int clientWidth = 5085; // twips, below the menu bar
constexpr int clientHeight = 2400;

// In tab order.
constexpr std::array<ControlDescription, 8> controls { {
    { u"Text1", ControlKind::TextBox, {}, {}, 600, 480, 2415, 285 },
    { u"Text2", ControlKind::TextBox, {}, {}, 600, 1200, 2415, 285 },
    { u"Command1", ControlKind::CommandButton, {}, u"Converti", 960, 1680, 1695, 495 },
    { u"Frame1", ControlKind::Frame, {}, u"Tipo conversione", 3360, 480, 1455, 1095 },
    { u"Option1", ControlKind::OptionButton, u"Frame1", u"Binario", 120, 240, 975, 375 },
    { u"Option2", ControlKind::OptionButton, u"Frame1", u"Decimale", 120, 600, 1095, 375 },
    { u"Label1", ControlKind::Label, {}, u"Risultato", 1440, 960, 615, 255 },
    { u"Label2", ControlKind::Label, {}, u"Input", 1560, 240, 375, 255 },
} };

struct MenuItemDescription
{
    QStringView name;
    QStringView caption;
};

// What screen readers call the menu bar; the bar itself has no caption.
constexpr QStringView menuBarName = u"Menu";

constexpr std::array<MenuItemDescription, 2> menuItems { {
    { u"mnuNuovo", u"Nuovo" },
    { u"mnuChiudi", u"Chiudi" },
} };

} // namespace window
