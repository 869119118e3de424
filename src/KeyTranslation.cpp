#include "KeyTranslation.h"

#include <Qt>

namespace Lumbra {

int translateKey(int qtKey)
{
    if (qtKey >= FIRST_PLAIN_KEY && qtKey <= LAST_PLAIN_KEY)
        return qtKey;
    switch (qtKey) {
#define LUMBRA_KEY_CASE(qtKeyName, code) \
    case qtKeyName:                      \
        return code;
        LUMBRA_KEY_TRANSLATIONS(LUMBRA_KEY_CASE)
#undef LUMBRA_KEY_CASE
    default:
        return OTHER_KEY_CODE;
    }
}

} // namespace Lumbra
