#pragma once

#include "server/Accounts.h"
#include "server/ClusterStepper.h"
#include "server/Coastline.h"
#include "server/CourseWriter.h"
#include "server/LiveRace.h"
#include "server/StepCrew.h"
#include "server/Storage.h"
#include "server/WindField.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace server {

class TableWriter;

struct GameConfig {
    std::string dataDir;
    // A PostgreSQL connection URI shared with other instances; empty for the SQLite
    // database in the data folder.
    std::string database;
    // Where the coastline caches live; the data folder when empty.
    std::string coastDir;
    int robots = 20;
    // Seconds of sailing per second of real time.
    double timeScale = 1.0;
    // Real seconds between simulation steps.
    double stepSeconds = 1.0;
    // Real seconds between writes of the moving state to the database.
    double saveSeconds = 10.0;
    // The most boats one boats list holds.
    size_t boatsPerAnswer = 300;
    // Threads for the slow HTTP answers (logins, tiles, pictures).
    size_t httpThreads = 8;
    // The most the map tiles may take on disk.
    uint64_t tileCacheBytes = uint64_t(1) << 30;
    // Cheap password hashing for tests.
    bool fastHashing = false;
    // Replaces the forecast (tests sail in a fixed wind).
    std::shared_ptr<const WindSource> wind;
};

// An answer of the race interface: good answers carry table text, refusals a message.
struct Answer {
    bool ok = false;
    std::string text;

    static Answer good(std::string table) { return { true, std::move(table) }; }
    static Answer refuse(std::string message) { return { false, std::move(message) }; }
};

// The game: accounts, races and their simulations, kept in the database of the data
// folder, stepped in real time by a thread of its own. The answer builders are called by
// the HTTP threads; they read each race's latest snapshot and queue their changes, so
// that no request waits for a step.
class GameServer {
public:
    explicit GameServer(GameConfig config);
    ~GameServer();
    GameServer(const GameServer&) = delete;
    GameServer& operator=(const GameServer&) = delete;

    void startSimulation();
    void stopSimulation();

    Accounts& accounts() { return *accountsStore; }
    const Coastline& coastline() const { return *coast; }
    const WindSource& windSource() const { return *wind; }
    const GameConfig& config() const { return settings; }

    // `host` is the Host header of the request: picture URLs point back at this server.
    Answer raceList(int user, const std::string& host);
    Answer join(int user, int race, const std::string& host);
    Answer boatDescription(int race);
    Answer route(int race);
    // The boats list as `user` sees it.
    Answer boats(int user, int race);
    Answer position(int user, int race);
    Answer setCourse(int user, int race, double heading, int sail);

    // One simulation step of every race, as the thread makes it; public for tests and
    // measurements.
    void stepAll(double realSeconds, int64_t now);
    void saveAll();
    std::optional<Race> race(int id) const;
    size_t boatCount(int race) const;

private:
    void loadRaces();
    std::unique_ptr<RaceSimulation> buildSimulation(const Race& race, bool simulate);
    void addRobots(RaceSimulation& simulation);
    void catchUp(RaceSimulation& simulation);
    void writeRaceTable(TableWriter& out, const Race& race, const std::optional<Boat>& boat, const std::string& nick,
        const std::string& host);
    LiveRace* find(int race) const;
    std::optional<Boat> boatOf(LiveRace& live, int user);
    void run();

    GameConfig settings;
    std::unique_ptr<Storage> store;
    std::unique_ptr<Accounts> accountsStore;
    std::unique_ptr<CourseWriter> courses;
    // Set when the database is shared with other instances.
    std::unique_ptr<ClusterStepper> cluster;
    std::unique_ptr<Coastline> coast;
    std::shared_ptr<const WindSource> wind;

    // Filled before the first request and never changed after.
    std::map<int, std::unique_ptr<LiveRace>> races;
    // Serialises the steps and the saves, which requests never take.
    std::mutex stepLock;
    // The threads that step races side by side, kept from the first step on.
    std::unique_ptr<StepCrew> raceCrew;
    // One join at a time, so that a player gets one boat however many joins they send.
    std::mutex joinLock;

    std::mutex runLock;
    std::condition_variable wake;
    bool stopping = false;
    std::thread stepper;
};

int64_t currentTime();

} // namespace server
