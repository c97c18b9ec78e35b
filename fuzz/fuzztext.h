// How a fuzzer's bytes become a text a user could have typed or pasted, and a locale to read it
// in. The first byte is a set of switches; the rest is the text.
#pragma once

#include "inputlimit.h"

#include <QLocale>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The input box holds at most this many characters, so no longer text reaches the procedures.
inline constexpr qsizetype longestText = Modulo1::longestInput;

struct FuzzText
{
    bool italian = false;
    QString text;
};

inline QLocale localeOf(const FuzzText &input)
{
    return input.italian ? QLocale(QLocale::Italian, QLocale::Italy) : QLocale::c();
}

// Switches: 1 = Italian locale; 2 = raw UTF-16 code units, little endian, so lone surrogates
// and any other unit can occur (otherwise UTF-8, which lets the fuzzer find ASCII structure
// quickly); 4 = repeat the text up to the longest the input box holds, so long pastes need no
// long inputs in the corpus.
inline FuzzText decodeFuzzText(const std::uint8_t *data, std::size_t size)
{
    FuzzText input;
    if (size == 0)
        return input;
    const std::uint8_t switches = data[0];
    const std::uint8_t *bytes = data + 1;
    const std::size_t count = size - 1;

    input.italian = switches & 1;
    if (switches & 2) {
        input.text.reserve(qsizetype(count / 2));
        for (std::size_t i = 0; i + 1 < count; i += 2)
            input.text.append(QChar(char16_t(bytes[i] | bytes[i + 1] << 8)));
    } else {
        input.text = QString::fromUtf8(reinterpret_cast<const char *>(bytes), qsizetype(count));
    }
    if ((switches & 4) && !input.text.isEmpty())
        input.text = input.text.repeated(longestText / input.text.size() + 1);
    // Cutting may split a surrogate pair; a lone surrogate is a text the window can hold too.
    input.text.truncate(longestText);
    return input;
}

} // namespace fuzz
