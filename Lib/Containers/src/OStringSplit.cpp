// Splitting by a separator; empty pieces are dropped.
#include "OString.h"

OStringPieces OString::split(const OString& separator, TBool caseSensitive) const
{
    OStringPieces pieces;
    if (isEmpty())
        return pieces;
    if (separator.isEmpty())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (separator.length() > length())
        return pieces;
    const OStringPositions matches = findAll(separator, 0, length() - 1, caseSensitive);
    if (matches.isEmpty())
        return pieces;
    int from = 0;
    for (int p : matches) {
        if (from < p)
            pieces.append(substring(*this, from, p - 1));
        from = p + separator.length();
    }
    if (from < length())
        pieces.append(tail(*this, from));
    return pieces;
}
