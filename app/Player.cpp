#include "app/Player.h"

#include "app/FolderListing.h"
#include "base/Text.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

std::unique_ptr<Player> player;

namespace {

const Uint32 idleWaitMs = 10000;

[[noreturn]] void raiseSdlError()
{
    throw std::runtime_error(SDL_GetError());
}

// Holds the player's mutex. unlock() reports a failure by raising; the destructor only
// releases a mutex still held because an exception is on its way out.
class PlayerLock {
public:
    explicit PlayerLock(SDL_mutex* mutex)
        : mutex(mutex)
    {
        if (SDL_LockMutex(mutex) != 0)
            raiseSdlError();
    }
    ~PlayerLock()
    {
        if (locked)
            SDL_UnlockMutex(mutex);
    }
    PlayerLock(const PlayerLock&) = delete;
    PlayerLock& operator=(const PlayerLock&) = delete;

    void unlock()
    {
        locked = false;
        if (SDL_UnlockMutex(mutex) != 0)
            raiseSdlError();
    }
    void wait(SDL_cond* condition, Uint32 timeoutMs)
    {
        if (SDL_CondWaitTimeout(condition, mutex, timeoutMs) < 0)
            raiseSdlError();
    }

private:
    SDL_mutex* mutex;
    bool locked = true;
};

void wakePlayer(SDL_cond* condition)
{
    if (SDL_CondSignal(condition) != 0)
        raiseSdlError();
}

}

Player::Player(std::string dataFolder)
    : Thread("player")
    , mutex(SDL_CreateMutex())
    , condition(SDL_CreateCond())
    , dataFolder(std::move(dataFolder))
{
    if (!mutex || !condition)
        raiseSdlError();
}

// The process may end with exit() from inside the event loop while the thread still
// waits on the condition: stop and join it before the condition and mutex go.
Player::~Player()
{
    if (isRunning()) {
        stopPlayer();
        waitThread();
    }
}

void Player::queueMusic(const std::string& fileName)
{
    PlayerLock lock(mutex.get());
    musicRequests.push_back(fileName);
    wakePlayer(condition.get());
    lock.unlock();
}

void Player::playSample(const std::string& name, int loops, float volume)
{
    PlayerLock lock(mutex.get());
    sampleRequests.push_back({ name, loops, volume });
    wakePlayer(condition.get());
    lock.unlock();
}

void Player::stopPlayer()
{
    PlayerLock lock(mutex.get());
    stop = true;
    wakePlayer(condition.get());
    lock.unlock();
}

void Player::onMusicFinished()
{
    if (!player)
        return;
    PlayerLock lock(player->mutex.get());
    player->musicFinished = true;
    wakePlayer(player->condition.get());
    lock.unlock();
}

PlayerProgress Player::progress() const
{
    PlayerLock lock(mutex.get());
    PlayerProgress copy = reported;
    lock.unlock();
    return copy;
}

std::vector<std::string> Player::pendingMusic() const
{
    PlayerLock lock(mutex.get());
    std::vector<std::string> names(musicRequests.begin(), musicRequests.end());
    lock.unlock();
    return names;
}

int Player::run()
{
    openMixer();
    while (!stopRequested()) {
        playNextTrackWhenFinished();
        loadNextMusic();
        playNextSample();
        waitForWork();
    }
    shutdown();
    return 0;
}

void Player::openMixer()
{
    if ((Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG) == 0) {
        std::printf("Error initializing audio: %s\n", SDL_GetError());
        throw std::runtime_error("Error initializing audio");
    }
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096) != 0) {
        std::printf("Error opening audio: %s\n", SDL_GetError());
        Mix_Quit();
        throw std::runtime_error("Error opening audio");
    }
    channels = Mix_AllocateChannels(16);
    if (channels <= 0) {
        std::printf("Can't allocate channels %s\n", SDL_GetError());
        Mix_CloseAudio();
        Mix_Quit();
        throw std::runtime_error("Error allocating channels");
    }
    Mix_VolumeMusic(MIX_MAX_VOLUME / 2);
    Mix_HookMusicFinished(&Player::onMusicFinished);
}

bool Player::stopRequested() const
{
    PlayerLock lock(mutex.get());
    bool stopping = stop;
    lock.unlock();
    return stopping;
}

// Each track is played once; the end of one moves on to the next, so the playlist cycles.
void Player::playNextTrackWhenFinished()
{
    PlayerLock lock(mutex.get());
    bool finished = std::exchange(musicFinished, false);
    lock.unlock();
    if (!finished)
        return;
    if (playlist.empty()) {
        std::printf("stolen music\n");
        return;
    }
    current = current + 1 == int(playlist.size()) ? 0 : current + 1;
    startTrack();
}

// One file per turn, so the first track starts right after its own load while the
// others load behind it.
void Player::loadNextMusic()
{
    PlayerLock lock(mutex.get());
    bool requested = !musicRequests.empty();
    std::string name;
    if (requested) {
        name = std::move(musicRequests.front());
        musicRequests.pop_front();
    }
    lock.unlock();
    if (!requested)
        return;

    std::string path = dataFolder + name;
    MusicHandle track(Mix_LoadMUS(path.c_str()));
    ++work.musicLoads;
    if (!track) {
        std::printf("Error loading music '%s': %s\n", path.c_str(), SDL_GetError());
    } else {
        playlist.push_back(std::move(track));
        if (playlist.size() == 1) {
            current = 0;
            startTrack();
        }
    }
    report();
}

void Player::playNextSample()
{
    PlayerLock lock(mutex.get());
    bool requested = !sampleRequests.empty();
    SampleRequest request {};
    if (requested) {
        request = std::move(sampleRequests.front());
        sampleRequests.pop_front();
    }
    lock.unlock();
    if (!requested)
        return;

    Mix_Chunk* chunk = sample(request.name);
    if (!chunk)
        return;
    if (request.volume > 0)
        Mix_VolumeChunk(chunk, int(request.volume * MIX_MAX_VOLUME));
    if (Mix_PlayChannelTimed(-1, chunk, request.loops, -1) < 0) {
        std::printf("error playing sample %s: %s\n", request.name.c_str(), SDL_GetError());
        return;
    }
    ++work.samplesStarted;
    report();
}

// A sample that fails to load is not remembered, so a later request tries the file again.
Mix_Chunk* Player::sample(const std::string& name)
{
    auto cached = sampleCache.find(name);
    if (cached != sampleCache.end())
        return cached->second.get();
    std::string path = dataFolder + name;
    SdlStream file(SDL_RWFromFile(path.c_str(), "rb"));
    // The decoder closes the stream whether or not it succeeds.
    ChunkHandle chunk(file ? Mix_LoadWAV_RW(file.release(), 1) : nullptr);
    if (!chunk) {
        std::printf("Can't load sample %s: %s\n", path.c_str(), SDL_GetError());
        return nullptr;
    }
    return sampleCache.emplace(name, std::move(chunk)).first->second.get();
}

void Player::startTrack()
{
    if (Mix_PlayMusic(playlist[current].get(), 1) == 0)
        ++work.musicStarts;
    report();
}

void Player::waitForWork()
{
    PlayerLock lock(mutex.get());
    if (musicRequests.empty() && sampleRequests.empty() && !stop && !musicFinished)
        lock.wait(condition.get(), idleWaitMs);
    lock.unlock();
}

// SDL_mixer calls onMusicFinished with its audio lock held, and every call below takes
// that lock; making them under the player's mutex would order the two locks both ways.
// Only the request lists are emptied under the mutex.
void Player::shutdown()
{
    Mix_HookMusicFinished(nullptr);
    Mix_HaltMusic();
    playlist.clear();
    Mix_HaltChannel(-1);
    sampleCache.clear();

    PlayerLock lock(mutex.get());
    musicRequests.clear();
    sampleRequests.clear();
    lock.unlock();

    report();
    Mix_CloseAudio();
    Mix_Quit();
}

void Player::report()
{
    work.tracks = int(playlist.size());
    work.current = current;
    PlayerLock lock(mutex.get());
    reported = work;
    lock.unlock();
}

void shuffleNames(std::vector<std::string>& names)
{
    for (size_t i = 1; i < names.size(); ++i) {
        size_t j = size_t(std::rand()) % (i + 1);
        std::swap(names[i], names[j]);
    }
}

void queueShuffledMusic(const std::string& dataFolder)
{
    std::vector<std::string> names = listFiles(dataFolder + "music");
    shuffleNames(names);
    for (const std::string& name : names) {
        if (endsWith(toLower(name), ".ogg") && player)
            player->queueMusic("music/" + name);
    }
}
