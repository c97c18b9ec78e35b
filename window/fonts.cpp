// Font choices for frmBinario.
#include "fonts.h"

namespace window {

namespace {
// Windows' own dialog face, and elsewhere a free face of the same metrics as Windows' Arial.
#ifdef Q_OS_WIN
const QString defaultFamily = QStringLiteral("Microsoft Sans Serif");
#else
const QString defaultFamily = QStringLiteral("Liberation Sans");
#endif
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
