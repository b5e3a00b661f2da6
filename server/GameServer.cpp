#include "server/GameServer.h"

#include "server/PostgresStorage.h"
#include "server/RaceCatalog.h"
#include "server/SqliteStorage.h"
#include "server/TableWriter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace server {

namespace {

const char* const robotNames[] = { "Albatross", "Petrel", "Shearwater", "Gannet", "Fulmar", "Kittiwake", "Tern", "Skua",
    "Cormorant", "Puffin", "Storm Bird", "Sea Swallow", "Frigate", "Booby", "Noddy", "Tropicbird", "Guillemot",
    "Razorbill", "Merganser", "Eider" };
constexpr size_t robotNameCount = sizeof robotNames / sizeof robotNames[0];
// After a pause the simulation catches up in steps of this many real seconds, for at
// most maxCatchUp seconds.
constexpr int64_t catchUpStep = 300;
constexpr int64_t maxCatchUp = 6 * 3600;
// Boats written in one transaction when the fleet is saved.
constexpr size_t savePart = 2000;

std::string robotName(size_t index)
{
    std::string name = robotNames[index % robotNameCount];
    if (index >= robotNameCount)
        name += " " + std::to_string(index / robotNameCount + 1);
    return name;
}

std::string imageUrl(const std::string& path, const std::string& host)
{
    if (path.rfind("http://", 0) == 0 || path.rfind("https://", 0) == 0 || host.empty())
        return path;
    return "http://" + host + path;
}

}

int64_t currentTime()
{
    return static_cast<int64_t>(std::time(nullptr));
}

GameServer::GameServer(GameConfig config)
    : settings(std::move(config))
{
    std::filesystem::create_directories(settings.dataDir);
    if (settings.coastDir.empty())
        settings.coastDir = settings.dataDir;
    if (settings.database.empty())
        store = std::make_unique<SqliteStorage>(settings.dataDir + "/tidewake.db");
    else
        store = std::make_unique<PostgresStorage>(settings.database);
    accountsStore = std::make_unique<Accounts>(*store);
    courses = std::make_unique<CourseWriter>(*store);
    if (settings.fastHashing)
        accountsStore->useFastHashing();
    coast = std::make_unique<Coastline>(settings.coastDir);
    // Loaded (or, in a new data folder, built) before the first request, so that no
    // request ever waits for a shoreline grid.
    for (CoastDetail detail : { CoastDetail::Low, CoastDetail::Intermediate, CoastDetail::High })
        coast->grid(detail);
    wind = settings.wind ? settings.wind : std::make_shared<ForecastWind>();
    if (store->shared())
        cluster = std::make_unique<ClusterStepper>(*store, [this](const Race& race, bool simulate) { return buildSimulation(race, simulate); });
    loadRaces();
}

GameServer::~GameServer()
{
    stopSimulation();
    if (cluster)
        cluster->release();
    saveAll();
}

void GameServer::loadRaces()
{
    int64_t now = currentTime();
    for (const Race& builtIn : RaceCatalog::builtIn(now)) {
        if (!store->race(builtIn.id))
            store->saveRace(builtIn);
    }
    std::ifstream file(settings.dataDir + "/races.txt");
    if (file) {
        std::vector<std::string> errors;
        for (const Race& race : RaceCatalog::read(file, errors))
            store->saveRace(race);
        for (const std::string& error : errors)
            std::fprintf(stderr, "races.txt: %s\n", error.c_str());
    }
    // On a shared database a race is made ready to step only by the instance that takes
    // its lease.
    for (const Race& race : store->races())
        races[race.id] = std::make_unique<LiveRace>(buildSimulation(race, !cluster), settings.boatsPerAnswer);
}

std::unique_ptr<RaceSimulation> GameServer::buildSimulation(const Race& race, bool simulate)
{
    auto simulation = std::make_unique<RaceSimulation>(race, standardBoat(), *wind, coast.get());
    simulation->add(store->boats(race.id));
    if (simulate) {
        addRobots(*simulation);
        catchUp(*simulation);
    }
    return simulation;
}

void GameServer::addRobots(RaceSimulation& simulation)
{
    size_t robots = 0;
    for (const Boat& boat : simulation.boats())
        robots += boat.robot() ? 1 : 0;
    int64_t now = currentTime();
    std::vector<Boat> added;
    for (size_t index = robots; index < static_cast<size_t>(std::max(settings.robots, 0)); ++index) {
        double slot = (index % 17) / 16.0;
        added.push_back(simulation.newBoat(0, robotName(index), slot, now));
    }
    if (!added.empty())
        simulation.add(store->addBoats(std::move(added)));
}

void GameServer::catchUp(RaceSimulation& simulation)
{
    int64_t now = currentTime();
    int64_t clock = store->raceClock(simulation.race().id);
    if (clock <= 0)
        return;
    int64_t from = std::max(clock, now - maxCatchUp);
    for (int64_t t = from + catchUpStep; t <= now; t += catchUpStep)
        simulation.step(catchUpStep * settings.timeScale, t);
}

void GameServer::startSimulation()
{
    std::lock_guard<std::mutex> guard(runLock);
    if (stepper.joinable())
        return;
    stopping = false;
    stepper = std::thread([this] { run(); });
}

void GameServer::stopSimulation()
{
    {
        std::lock_guard<std::mutex> guard(runLock);
        stopping = true;
    }
    wake.notify_all();
    if (stepper.joinable())
        stepper.join();
}

void GameServer::run()
{
    using clock = std::chrono::steady_clock;
    auto step = std::chrono::duration<double>(settings.stepSeconds);
    auto last = clock::now();
    auto lastSave = last;
    std::unique_lock<std::mutex> guard(runLock);
    while (!wake.wait_until(guard, last + std::chrono::duration_cast<clock::duration>(step), [this] { return stopping; })) {
        auto now = clock::now();
        double elapsed = std::chrono::duration<double>(now - last).count();
        last = now;
        guard.unlock();
        stepAll(elapsed, currentTime());
        if (std::chrono::duration<double>(now - lastSave).count() >= settings.saveSeconds) {
            saveAll();
            lastSave = now;
        }
        guard.lock();
    }
}

void GameServer::stepAll(double realSeconds, int64_t now)
{
    std::lock_guard<std::mutex> guard(stepLock);
    double sailed = realSeconds * settings.timeScale;
    if (cluster) {
        // Shared races step one after another: each step reads and writes the database.
        for (auto& [id, live] : races)
            cluster->step(*live, sailed, now);
        return;
    }
    // Races step side by side, as many at once as there are processors; a race with a
    // large fleet shares its boats among threads of its own too.
    std::vector<LiveRace*> all;
    for (auto& [id, live] : races)
        all.push_back(live.get());
    std::atomic<size_t> next { 0 };
    auto stepSome = [&] {
        for (size_t index = next++; index < all.size(); index = next++)
            all[index]->step(sailed, now);
    };
    size_t workers = std::min<size_t>(std::max(std::thread::hardware_concurrency(), 1u), all.size());
    if (!raceCrew && workers > 1)
        raceCrew = std::make_unique<StepCrew>(workers - 1);
    if (raceCrew)
        raceCrew->together([&](size_t) { stepSome(); });
    else
        stepSome();
}

void GameServer::saveAll()
{
    // Snapshots never change, so the fleet is written while the next steps go on. The
    // store leaves players' courses alone, which only course changes write. Writing in parts
    // lets the requests' own writes in between; the clock, written last, never runs ahead
    // of a boat. On a shared database every step is published as it is made.
    if (cluster)
        return;
    std::lock_guard<std::mutex> guard(stepLock);
    int64_t now = currentTime();
    for (auto& [id, live] : races) {
        std::shared_ptr<const RaceSnapshot> snapshot = live->snapshot();
        const std::vector<Boat>& boats = snapshot->boats();
        for (size_t first = 0; first < boats.size(); first += savePart)
            store->saveBoats(boats.data() + first, std::min(savePart, boats.size() - first));
        store->setRaceClock(id, now);
    }
}

LiveRace* GameServer::find(int race) const
{
    auto found = races.find(race);
    return found == races.end() ? nullptr : found->second.get();
}

std::optional<Boat> GameServer::boatOf(LiveRace& live, int user)
{
    std::optional<Boat> boat = live.boatOf(user);
    // A player who joined through another instance may not be in this one's snapshot yet.
    if (!boat && cluster) {
        boat = store->playerBoat(live.simulation()->race().id, user);
        if (boat)
            live.queue(*boat);
    }
    return boat;
}

std::optional<Race> GameServer::race(int id) const
{
    LiveRace* live = find(id);
    return live ? std::optional<Race>(live->simulation()->race()) : std::nullopt;
}

size_t GameServer::boatCount(int race) const
{
    LiveRace* live = find(race);
    return live ? live->snapshot()->boats().size() : 0;
}

void GameServer::writeRaceTable(TableWriter& out, const Race& race, const std::optional<Boat>& boat, const std::string& nick,
    const std::string& host)
{
    int64_t now = currentTime();
    out.open();
    out.field("id", race.id).field("name", race.name).field("descr", race.descr);
    out.field("image", imageUrl(race.imagePath, host)).field("start", race.start).field("active", now >= race.start);
    Boat shown = boat ? *boat : Boat();
    if (!boat) {
        GeoPoint start = race.route.front().centre();
        Wind w = wind->at(start.lat, start.lon, now);
        shown.lat = start.lat;
        shown.lon = start.lon;
        shown.sail = 0;
        shown.waypoint = 0;
        shown.windDir = w.dir;
        shown.windSpeed = w.speed;
    }
    out.field("lat", shown.lat).field("lon", shown.lon).field("position", shown.position);
    out.field("grounded", shown.grounded).field("heading", shown.heading).field("speed", shown.speed);
    out.field("waypoint", shown.waypoint).field("finished", shown.finished).field("sail", shown.sail);
    out.field("windSpeed", shown.windSpeed).field("windDir", shown.windDir).field("nick", nick);
    out.close();
}

Answer GameServer::raceList(int user, const std::string& host)
{
    std::string nick = accountsStore->nick(user);
    TableWriter out;
    out.key("races").open();
    // The client lists races in the byte order of their keys: equally long numbered keys
    // keep the server's order however many races there are.
    size_t index = 0;
    for (auto& [id, live] : races) {
        char key[24];
        std::snprintf(key, sizeof key, "race%06zu", index++);
        out.key(key);
        writeRaceTable(out, live->simulation()->race(), live->boatOf(user), nick, host);
    }
    out.close();
    return Answer::good(out.text());
}

Answer GameServer::join(int user, int raceId, const std::string& host)
{
    std::string nick = accountsStore->nick(user);
    LiveRace* live = find(raceId);
    if (!live)
        return Answer::refuse("Unknown race.");
    std::optional<Boat> boat = live->boatOf(user);
    if (!boat) {
        std::lock_guard<std::mutex> guard(joinLock);
        boat = live->boatOf(user);
        if (!boat) {
            size_t fleet = live->snapshot()->boats().size() + live->queuedCount();
            double slot = static_cast<double>(fleet % 17) / 16.0;
            boat = store->addBoat(live->simulation()->newBoat(user, nick, slot, currentTime()));
            live->queue(*boat);
        }
    }
    TableWriter out;
    out.key("race");
    writeRaceTable(out, live->simulation()->race(), boat, nick, host);
    return Answer::good(out.text());
}

Answer GameServer::boatDescription(int raceId)
{
    if (!race(raceId))
        return Answer::refuse("Unknown race.");
    const BoatType& boat = standardBoat();
    TableWriter out;
    out.field("id", boat.id).field("name", boat.name);
    out.key("sails").open();
    for (const auto& [number, polar] : boat.sails) {
        out.open().field("id", number);
        out.key("polar").open();
        out.key("winds").open();
        for (double w : polar.winds)
            out.value(w);
        out.close().key("angles").open();
        for (double a : polar.angles)
            out.value(a);
        out.close().key("values").open();
        for (const auto& row : polar.values) {
            out.open();
            for (double v : row)
                out.value(v);
            out.close();
        }
        out.close().close().close();
    }
    out.close();
    return Answer::good(out.text());
}

Answer GameServer::route(int raceId)
{
    std::optional<Race> found = race(raceId);
    if (!found)
        return Answer::refuse("Unknown race.");
    TableWriter out;
    out.key("waypoints").open();
    for (const Waypoint& w : found->route) {
        out.open().field("lat", w.lat).field("lon", w.lon).field("hdg", w.hdg).field("dst", w.dst).field("type", w.type);
        out.close();
    }
    out.close();
    return Answer::good(out.text());
}

Answer GameServer::boats(int user, int raceId)
{
    LiveRace* live = find(raceId);
    if (!live)
        return Answer::refuse("Unknown race.");
    return Answer::good(live->snapshot()->boatsList(user));
}

Answer GameServer::position(int user, int raceId)
{
    LiveRace* live = find(raceId);
    if (!live)
        return Answer::refuse("Unknown race.");
    std::optional<Boat> boat = boatOf(*live, user);
    if (!boat)
        return Answer::refuse("You have not joined this race.");
    TableWriter out;
    out.field("position", boat->position).field("lat", boat->lat).field("lon", boat->lon);
    out.field("grounded", boat->grounded).field("heading", boat->heading).field("speed", boat->speed);
    out.field("waypoint", boat->waypoint).field("finished", boat->finished);
    out.field("windDir", boat->windDir).field("windSpeed", boat->windSpeed);
    return Answer::good(out.text());
}

Answer GameServer::setCourse(int user, int raceId, double heading, int sail)
{
    if (!std::isfinite(heading) || heading < 0.0 || heading > 360.0)
        return Answer::refuse("The heading must be between 0 and 360 degrees.");
    if (!standardBoat().hasSail(sail))
        return Answer::refuse("Unknown sail.");
    LiveRace* live = find(raceId);
    if (!live)
        return Answer::refuse("Unknown race.");
    std::optional<Boat> boat = boatOf(*live, user);
    if (!boat)
        return Answer::refuse("You have not joined this race.");
    if (boat->finished)
        return Answer::refuse("Your boat has finished the race.");
    Boat steered = live->simulation()->withCourse(*boat, heading, sail, currentTime());
    // Stored before it is acknowledged, so that a killed server still has it.
    if (!courses->write(steered))
        return Answer::refuse("The server could not store your course. Please try again.");
    live->queue(steered);
    return Answer::good("");
}

} // namespace server
