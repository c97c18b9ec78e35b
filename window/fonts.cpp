// Font choices for frmBinario.
#include "fonts.h"

namespace window {

namespace {
const QString defaultFamily = QStringLiteral("Liberation Sans");
const QString commandFamily = QStringLiteral("MS Sans Serif");

QFont pixelFont(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
} // namespace

QFont defaultFont()
{
    return pixelFont(defaultFamily, 10, false);
}

QFont commandFont()
{
    return pixelFont(commandFamily, 16, true);
}

void substituteMissingFonts()
{
    QFont::insertSubstitution(commandFamily, defaultFamily);
}

} // namespace window
