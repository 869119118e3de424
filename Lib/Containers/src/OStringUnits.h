// Helpers shared by the OString implementation files: character classes,
// case folding of single code units and the inclusive range check.
#pragma once

#include "VMError.h"

#include <QChar>

namespace OStringUnits {

inline char16_t lower(char16_t u)
{
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? char16_t(u + 32) : u;
    return char16_t(QChar(u).toLower().unicode());
}

inline char16_t upper(char16_t u)
{
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') ? char16_t(u - 32) : u;
    return char16_t(QChar(u).toUpper().unicode());
}

inline bool isSpace(char16_t u)
{
    return QChar(u).isSpace();
}

inline bool same(char16_t a, char16_t b, bool caseSensitive)
{
    return a == b || (!caseSensitive && lower(a) == lower(b));
}

// Checks an inclusive range against `length`: (0, -1) is the empty range and
// gives false; any other pair outside 0 <= start <= end < length raises code 5.
inline bool checkSpan(int start, int end, int length)
{
    if (start == 0 && end == -1)
        return false;
    if (start < 0 || start > end || end >= length)
        Lumbra::raiseError(Lumbra::ERange);
    return true;
}

} // namespace OStringUnits
