// Background music as a service: the start window owns the player and installs how the music is
// switched; the settings window and others switch it here without knowing the start window.
#pragma once

#include <QString>
#include <functional>

namespace BackgroundMusic {

// Plays (on) or stops (off) the track; an empty switch does nothing.
using Switch = std::function<void(const QString &fileName, bool on)>;
void setSwitch(Switch musicSwitch);
void play(const QString &fileName, bool on);

} // namespace BackgroundMusic
