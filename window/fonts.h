// The window's fonts, in logical pixels like its geometry, so that captions fit their fixed
// boxes at every scale factor and whatever font DPI the desktop sets.
#pragma once

#include <QFont>

namespace window {

// Every control but Command1. Liberation Sans (metric-compatible with the common sans faces)
// at 10 px is the largest common size at which "Risultato" fits its 41-pixel label. On Windows,
// "MS Sans Serif" as Command1, drawn as Command1 is.
QFont defaultFont();

// Command1: "MS Sans Serif", 12 point bold (16 px at 96 dpi), substituted where missing.
QFont commandFont();

// Has Qt draw Command1's face, where it is missing or only a bitmap, in a scalable face of the
// metrics the captions are measured for: without this, fontconfig (or Windows) picks an unrelated
// face. Process-wide; start-up does it once.
void substituteMissingFonts();

} // namespace window
