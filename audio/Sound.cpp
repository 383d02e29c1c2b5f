#include "audio/Sound.h"

#include "audio/SoundSystem.h"

Sound::Sound(SoundSystem* system, int channels, int frequency, bool loop)
    : system_(system), channels_(channels), frequency_(frequency), loop_(loop)
{
}

SoundResult Sound::release()
{
    system_->forget(this);
    delete this;
    return SOUND_OK;
}
