#include "Hash.h"

#include <QCryptographicHash>

namespace Lumbra {

QByteArray Hash::digestOf(TInt32 algorithm, const QByteArray& bytes)
{
    switch (algorithm) {
#define LUMBRA_HASH_CASE(number, name) \
    case number:                       \
        return QCryptographicHash::hash(bytes, QCryptographicHash::name);
        LUMBRA_HASH_ALGORITHMS(LUMBRA_HASH_CASE)
#undef LUMBRA_HASH_CASE
    default:
        return QByteArray();
    }
}

} // namespace Lumbra
