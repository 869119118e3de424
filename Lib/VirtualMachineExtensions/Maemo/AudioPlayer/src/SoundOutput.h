// What the player's user sets for every sound of the application: the
// volume, mute, and a pause that holds every stream where it is. A change
// reaches the streams already playing at once, through the sound server's
// stream volume and corking; new streams start with it.
#pragma once

namespace SoundOutput {

inline constexpr int MAX_VOLUME = 100;

// `volume` from 0 (silent) to 100 (the samples as they are), clamped.
void setLevel(int volume, bool muted);
int volume();
bool muted();
void setPaused(bool paused);
bool paused();

} // namespace SoundOutput
