#include "ui/BackgroundMusic.h"

namespace BackgroundMusic {

namespace {
Switch &current()
{
    static Switch s;
    return s;
}
} // namespace

void setSwitch(Switch musicSwitch)
{
    current() = std::move(musicSwitch);
}

void play(const QString &fileName, bool on)
{
    if (current())
        current()(fileName, on);
}

} // namespace BackgroundMusic
