#pragma once

// Chooses the audio driver before SDL starts. The Windows build asks for DirectSound;
// elsewhere SDL's own choice, or the user's SDL_AUDIODRIVER, stands.
void chooseAudioDriver();
