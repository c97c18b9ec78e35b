// The longest input the program takes, and the refusal of a longer one. The input box enforces
// it; the fuzz targets, which run without a window, take their longest texts from here too.
#pragma once

#include <QString>

namespace Modulo1 {

// Every input that means something fits many times over: a double written out in full, every
// digit of the smallest one included, takes under 1,100 characters, and a binary value beyond
// 1,024 significant digits overflows. The rest is room for leading zeros and blanks. The bound
// keeps the box's memory (its undo history takes about 90 bytes a character) near 6 MB and
// the cursor's blinking, which lays out the whole line, cheap.
inline constexpr qsizetype longestInput = 65536;

inline QString tooLongInputMessage()
{
    return QStringLiteral("Impossibile soddisfare la richiesta: il numero immesso è troppo lungo");
}

} // namespace Modulo1
