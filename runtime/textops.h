// The small text operations the conversions are written in. Positions count from 1.
#pragma once

#include <QString>

namespace rt {

// The general formatting of a whole number: "0", "1", "-5".
inline QString digitText(qint32 whole)
{
    return QString::number(whole);
}

inline QString joinTexts(const QString &left, const QString &right)
{
    return left + right;
}

// The one character at a position from 1; empty when the position lies outside the text.
inline QString charAt(const QString &text, qsizetype position)
{
    return position < 1 ? QString() : text.mid(position - 1, 1);
}

inline qsizetype textLength(const QString &text)
{
    return text.size();
}

// The value a one-character text starts with: 0 to 9 for the digits, 0 for anything else.
inline int leadingNumberValue(QStringView character)
{
    if (character.isEmpty())
        return 0;
    const QChar c = character.front();
    return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : 0;
}

} // namespace rt
