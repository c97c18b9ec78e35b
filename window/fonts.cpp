// Font choices for frmBinario.
#include "fonts.h"

#include <QStringList>

namespace window {

namespace {
const QString commandFamily = QStringLiteral("MS Sans Serif");
#ifdef Q_OS_WIN
// On Windows the whole window is in the classic dialog face that Command1 asks for. Windows has
// it only as bitmaps at a few sizes with no bold (Wine too): its scalable successor draws it,
// else Arial, whose metrics the captions are measured for, or a free face of the same metrics.
const QString defaultFamily = commandFamily;
const QStringList substituteFamilies { QStringLiteral("Microsoft Sans Serif"),
                                       QStringLiteral("Arial"), QStringLiteral("Liberation Sans") };
#else
// Elsewhere a free face of the same metrics as Windows' Arial.
const QString defaultFamily = QStringLiteral("Liberation Sans");
const QStringList substituteFamilies { defaultFamily };
#endif

QFont pixelFont(const QString &family, int pixelSize, bool bold)
{
    QFont font(family);
    // Outlines only: a bitmap face would be neither bold nor sharp at every scale.
    font.setStyleHint(QFont::SansSerif, QFont::ForceOutline);
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
    QFont::insertSubstitutions(commandFamily, substituteFamilies);
}

} // namespace window
