#pragma once

#include "base/SdlHandles.h"
#include "base/Thread.h"
#include "base/UniqueHandle.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

using MusicHandle = UniqueHandle<Mix_Music, Mix_FreeMusic>;
using ChunkHandle = UniqueHandle<Mix_Chunk, Mix_FreeChunk>;

// What the player thread has done so far, as last reported under the mutex.
struct PlayerProgress {
    int tracks = 0; // tracks in the playlist
    int current = 0; // index of the playing track
    int musicLoads = 0; // music files the thread tried to load
    int musicStarts = 0; // tracks started
    int samplesStarted = 0;
};

// The "player" thread: owns SDL_mixer and everything loaded with it, so that loading and
// decoding never stall the user-interface thread. Other threads only queue requests.
// Music plays track after track in the order queued and starts over at the end.
class Player : public Thread {
public:
    // File names given to the player are relative to dataFolder.
    explicit Player(std::string dataFolder = "data/");
    ~Player() override;

    void queueMusic(const std::string& fileName);
    // loops -1 repeats the sample endlessly; a volume of 0 or less keeps the chunk's own.
    void playSample(const std::string& name, int loops, float volume);
    void stopPlayer();
    // Called by SDL_mixer on its audio thread when a track ends.
    static void onMusicFinished();

    PlayerProgress progress() const;
    // Music requests not yet taken by the player thread.
    std::vector<std::string> pendingMusic() const;

protected:
    int run() override;

private:
    struct SampleRequest {
        std::string name;
        int loops;
        float volume;
    };

    void openMixer();
    bool stopRequested() const;
    void playNextTrackWhenFinished();
    void loadNextMusic();
    void playNextSample();
    Mix_Chunk* sample(const std::string& name);
    void startTrack();
    void waitForWork();
    void shutdown();
    void report();

    std::map<std::string, ChunkHandle> sampleCache;
    std::list<SampleRequest> sampleRequests;
    int channels = 0;
    SdlMutex mutex;
    bool stop = false;
    SdlCondition condition;
    std::vector<MusicHandle> playlist;
    int current = 0;
    std::list<std::string> musicRequests;
    bool musicFinished = false;

    std::string dataFolder;
    PlayerProgress work; // player thread only
    PlayerProgress reported; // under the mutex
};

// The process-wide player; null before start-up and after tear-down.
extern std::unique_ptr<Player> player;

// Queues every Ogg Vorbis file of dataFolder + "music" with the process-wide player, in
// an order shuffled by the C library's rand.
void queueShuffledMusic(const std::string& dataFolder = "data/");
// Swaps each position i from 1 on with a position picked from 0 to i.
void shuffleNames(std::vector<std::string>& names);
