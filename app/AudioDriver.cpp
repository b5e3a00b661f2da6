#include "app/AudioDriver.h"

#ifdef _WIN32
#include <cstdlib>
#endif

void chooseAudioDriver()
{
#ifdef _WIN32
    _putenv("SDL_AUDIODRIVER=DirectSound");
#endif
}
