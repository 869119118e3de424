// Qt key codes become the key codes applications see: printable ASCII from
// space to grave accent passes unchanged, a few editing and arrow keys get
// their own codes, every other key one shared code.
#pragma once

namespace Lumbra {

// The keys with a code of their own: KEY(qtKey, applicationCode).
#define LUMBRA_KEY_TRANSLATIONS(KEY)      \
    KEY(Qt::Key_Return, 0x01000001)       \
    KEY(Qt::Key_Backspace, 0x01000002)    \
    KEY(Qt::Key_Left, 0x01000003)         \
    KEY(Qt::Key_Right, 0x01000004)        \
    KEY(Qt::Key_Up, 0x01000005)           \
    KEY(Qt::Key_Down, 0x01000006)

inline constexpr int FIRST_PLAIN_KEY = 0x20; // space
inline constexpr int LAST_PLAIN_KEY = 0x60;  // grave accent
inline constexpr int OTHER_KEY_CODE = 0x01000000;

int translateKey(int qtKey);

} // namespace Lumbra
