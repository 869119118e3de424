#include "values/Hash.h"

#include <optional>

namespace Lumbra {

namespace {

std::optional<QCryptographicHash::Algorithm> algorithmOf(TInt32 number)
{
    switch (number) {
#define LUMBRA_HASH_CASE(number, name) \
    case number:                       \
        return QCryptographicHash::name;
        LUMBRA_HASH_ALGORITHMS(LUMBRA_HASH_CASE)
#undef LUMBRA_HASH_CASE
    default:
        return std::nullopt;
    }
}

} // namespace

Hash::Hash(TInt32 algorithm)
{
    if (const auto known = algorithmOf(algorithm))
        state = std::make_unique<QCryptographicHash>(*known);
}

void Hash::append(const char* bytes, qsizetype count)
{
    if (state)
        state->addData(QByteArrayView(bytes, count));
}

QByteArray Hash::digest() const
{
    return state ? state->result() : QByteArray();
}

QByteArray Hash::digestOf(TInt32 algorithm, QByteArrayView bytes)
{
    const auto known = algorithmOf(algorithm);
    return known ? QCryptographicHash::hash(bytes, *known) : QByteArray();
}

} // namespace Lumbra
