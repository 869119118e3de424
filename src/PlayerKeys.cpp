#include "PlayerKeys.h"

namespace Lumbra {

namespace {

struct PlayerKeyRow {
    PlayerKey action;
    int key;
    int modifiers;
    bool presentedOnly;
};

constexpr PlayerKeyRow PLAYER_KEY_ROWS[] = {
#define LUMBRA_PLAYER_KEY_ROW(action, key, modifiers, presentedOnly, label, meaning) \
    {PlayerKey::action, int(key), int(modifiers), presentedOnly},
    LUMBRA_PLAYER_KEYS(LUMBRA_PLAYER_KEY_ROW)
#undef LUMBRA_PLAYER_KEY_ROW
};

} // namespace

PlayerKey playerKeyOf(int qtKey, int held, bool presented)
{
    for (const PlayerKeyRow& row : PLAYER_KEY_ROWS) {
        if (row.key == qtKey && (presented || !row.presentedOnly)
            && (row.modifiers == ANY_MODIFIERS || row.modifiers == held))
            return row.action;
    }
    return PlayerKey::None;
}

bool isAlwaysPlayerKey(int qtKey)
{
    for (const PlayerKeyRow& row : PLAYER_KEY_ROWS) {
        if (row.key == qtKey && row.modifiers == ANY_MODIFIERS)
            return true;
    }
    return false;
}

} // namespace Lumbra
