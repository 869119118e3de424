// The player's own keys, declared once: the player acts on them, the keymap
// refuses them and the key-code reference lists them. None of them reaches
// the application.
#pragma once

#include <Qt>

namespace Lumbra {

// Matches a key whatever modifiers are held.
inline constexpr int ANY_MODIFIERS = -1;

// KEY(action, Qt key, modifiers held exactly or ANY_MODIFIERS,
//     only when presented on a desktop, label, what it does)
#define LUMBRA_PLAYER_KEYS(KEY)                                                                        \
    KEY(Quit, Qt::Key_Q, Qt::ControlModifier, false, "Ctrl+Q", "ends the player")                      \
    KEY(SwitchPresentation, Qt::Key_F11, ANY_MODIFIERS, true, "F11",                                    \
        "switches between window and full screen")                                                     \
    KEY(SwitchPresentation, Qt::Key_Return, Qt::AltModifier, true, "Alt+Return", "as F11")             \
    KEY(SwitchPresentation, Qt::Key_Enter, Qt::AltModifier, true, "Alt+Enter (keypad)", "as F11")      \
    KEY(Pause, Qt::Key_P, Qt::ControlModifier, true, "Ctrl+P", "pauses and resumes")                   \
    KEY(Step, Qt::Key_Period, Qt::ControlModifier, true, "Ctrl+.", "while paused, one step")           \
    KEY(Mute, Qt::Key_M, Qt::ControlModifier, true, "Ctrl+M", "mutes and unmutes")                     \
    KEY(VolumeUp, Qt::Key_Up, Qt::ControlModifier, true, "Ctrl+Up", "volume up")                       \
    KEY(VolumeDown, Qt::Key_Down, Qt::ControlModifier, true, "Ctrl+Down", "volume down")               \
    KEY(Screenshot, Qt::Key_F12, ANY_MODIFIERS, true, "F12", "saves a screenshot")                     \
    KEY(FastForward, Qt::Key_F9, ANY_MODIFIERS, true, "F9", "fast-forward while held")                 \
    KEY(Overlay, Qt::Key_F3, ANY_MODIFIERS, true, "F3", "shows and hides the overlay")

// What the player does; one action may have several keys.
enum class PlayerKey {
    None, Quit, SwitchPresentation, Screenshot,
    Pause, Step, FastForward, Mute, VolumeUp, VolumeDown, Overlay,
};

// Which of the player's keys `qtKey` with the modifiers `held` (Control,
// Alt, Meta and Shift only) is. Ctrl+Q belongs to the player in every
// presentation, the others only to one presented on a desktop.
PlayerKey playerKeyOf(int qtKey, int held, bool presented);

// Whether the player takes `qtKey` whatever modifiers are held, so that a
// keymap cannot give it to the application.
bool isAlwaysPlayerKey(int qtKey);

} // namespace Lumbra
