#include "server/PostgresStorage.h"

#include <sodium.h>

#include <algorithm>

namespace server {

namespace {

// Connections kept open: requests rarely reach the database (sessions are cached, answers
// come from snapshots), so a few serve many request threads.
constexpr size_t poolSize = 8;
// Held while the schema is made or changed, so that instances starting together take turns.
constexpr int64_t schemaLockKey = 7080;

// Each entry brings the schema from the version of its index to the next.
const char* const migrations[] = {
    "CREATE TABLE users (id SERIAL PRIMARY KEY, email TEXT NOT NULL UNIQUE, hash TEXT NOT NULL, nick TEXT NOT NULL);"
    "CREATE TABLE sessions (token TEXT PRIMARY KEY, player INTEGER NOT NULL, created BIGINT NOT NULL, used BIGINT NOT NULL);"
    "CREATE TABLE races (id INTEGER PRIMARY KEY, name TEXT NOT NULL, descr TEXT NOT NULL, image TEXT NOT NULL, "
    "  start BIGINT NOT NULL, route TEXT NOT NULL, clock BIGINT NOT NULL DEFAULT 0, revision BIGINT NOT NULL DEFAULT 0);"
    "CREATE TABLE boats (id BIGSERIAL PRIMARY KEY, race INTEGER NOT NULL, player INTEGER NOT NULL, nick TEXT NOT NULL, "
    "  lat DOUBLE PRECISION NOT NULL, lon DOUBLE PRECISION NOT NULL, heading DOUBLE PRECISION NOT NULL, "
    "  speed DOUBLE PRECISION NOT NULL, sail INTEGER NOT NULL, waypoint INTEGER NOT NULL, finished BOOLEAN NOT NULL, "
    "  finish_time BIGINT NOT NULL, grounded BOOLEAN NOT NULL, wind_dir DOUBLE PRECISION NOT NULL, "
    "  wind_speed DOUBLE PRECISION NOT NULL, revision BIGINT NOT NULL DEFAULT 0);"
    "CREATE UNIQUE INDEX boat_of_player ON boats (race, player) WHERE player > 0;"
    "CREATE INDEX boat_revisions ON boats (race, revision);"
    "CREATE TABLE leases (race INTEGER PRIMARY KEY, owner TEXT NOT NULL, expires TIMESTAMPTZ NOT NULL);",
};
constexpr int64_t schemaVersion = sizeof migrations / sizeof migrations[0];

const char* const boatColumns = "SELECT id, race, player, nick, lat, lon, heading, speed, sail, waypoint, finished, finish_time, "
                                "grounded, wind_dir, wind_speed FROM boats ";
const char* const raceColumns = "SELECT id, name, descr, image, start, route FROM races ";

// A column of the fleet as a PostgreSQL array literal.
template <typename Field>
std::string arrayOf(const Boat* boats, size_t count, Field field)
{
    PgParams values;
    for (const Boat* boat = boats; boat != boats + count; ++boat)
        values.add(field(*boat));
    std::string text = "{";
    for (const std::string& value : values.values())
        text += (text.size() > 1 ? "," : "") + value;
    return text + "}";
}

}

PostgresStorage::PostgresStorage(const std::string& uri)
    : db(uri, poolSize)
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
    migrate();
}

void PostgresStorage::migrate()
{
    PostgresDb::Transaction transaction(db);
    transaction.exec("SELECT pg_advisory_xact_lock($1)", PgParams().add(schemaLockKey));
    transaction.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    PgResult current = transaction.exec("SELECT version FROM schema_version");
    int64_t version = current.rows() > 0 ? current.integer(0, 0) : 0;
    if (version > schemaVersion)
        throw DatabaseError("the database was made by a newer tidewake-server (schema " + std::to_string(version) + ")");
    for (int64_t next = version; next < schemaVersion; ++next)
        transaction.exec(migrations[next]);
    transaction.exec("DELETE FROM schema_version");
    transaction.exec("INSERT INTO schema_version VALUES ($1)", PgParams().add(schemaVersion));
    transaction.commit();
}

std::optional<int> PostgresStorage::addAccount(const std::string& email, const std::string& hash, const std::string& nick)
{
    PgResult added = db.exec("INSERT INTO users (email, hash, nick) VALUES ($1, $2, $3) ON CONFLICT (email) DO NOTHING RETURNING id",
        PgParams().add(email).add(hash).add(nick));
    if (added.rows() == 0)
        return std::nullopt;
    return static_cast<int>(added.integer(0, 0));
}

std::optional<Account> PostgresStorage::readAccount(const PgResult& rows)
{
    if (rows.rows() == 0)
        return std::nullopt;
    return Account { static_cast<int>(rows.integer(0, 0)), rows.text(0, 1), rows.text(0, 2), rows.text(0, 3) };
}

std::optional<Account> PostgresStorage::accountByEmail(const std::string& email)
{
    return readAccount(db.exec("SELECT id, email, hash, nick FROM users WHERE email = $1", PgParams().add(email)));
}

std::optional<Account> PostgresStorage::accountById(int id)
{
    return readAccount(db.exec("SELECT id, email, hash, nick FROM users WHERE id = $1", PgParams().add(id)));
}

void PostgresStorage::addSession(const std::string& token, int user, int64_t created)
{
    db.exec("INSERT INTO sessions (token, player, created, used) VALUES ($1, $2, $3, $3)",
        PgParams().add(tokenDigest(token)).add(user).add(created));
}

std::optional<StoredSession> PostgresStorage::session(const std::string& token)
{
    PgResult found = db.exec("SELECT player, used FROM sessions WHERE token = $1", PgParams().add(tokenDigest(token)));
    if (found.rows() == 0)
        return std::nullopt;
    return StoredSession { static_cast<int>(found.integer(0, 0)), found.integer(0, 1) };
}

void PostgresStorage::touchSession(const std::string& token, int64_t used)
{
    db.exec("UPDATE sessions SET used = $1 WHERE token = $2", PgParams().add(used).add(tokenDigest(token)));
}

void PostgresStorage::dropSessionsUnusedSince(int64_t time)
{
    db.exec("DELETE FROM sessions WHERE used < $1", PgParams().add(time));
}

std::vector<Race> PostgresStorage::readRaces(const PgResult& rows)
{
    std::vector<Race> races;
    for (int row = 0; row < rows.rows(); ++row)
        races.push_back({ static_cast<int>(rows.integer(row, 0)), rows.text(row, 1), rows.text(row, 2), rows.text(row, 3),
            rows.integer(row, 4), decodeRoute(rows.text(row, 5)) });
    return races;
}

std::optional<Race> PostgresStorage::race(int id)
{
    std::vector<Race> found = readRaces(db.exec(std::string(raceColumns) + "WHERE id = $1", PgParams().add(id)));
    return found.empty() ? std::nullopt : std::optional<Race>(found.front());
}

void PostgresStorage::saveRace(const Race& race)
{
    db.exec("INSERT INTO races (id, name, descr, image, start, route) VALUES ($1, $2, $3, $4, $5, $6) "
            "ON CONFLICT (id) DO UPDATE SET name = excluded.name, descr = excluded.descr, image = excluded.image, "
            "start = excluded.start, route = excluded.route",
        PgParams().add(race.id).add(race.name).add(race.descr).add(race.imagePath).add(race.start).add(encodeRoute(race.route)));
}

std::vector<Race> PostgresStorage::races()
{
    return readRaces(db.exec(std::string(raceColumns) + "ORDER BY id"));
}

int64_t PostgresStorage::raceClock(int race)
{
    PgResult found = db.exec("SELECT clock FROM races WHERE id = $1", PgParams().add(race));
    return found.rows() > 0 ? found.integer(0, 0) : 0;
}

void PostgresStorage::setRaceClock(int race, int64_t time)
{
    db.exec("UPDATE races SET clock = $1 WHERE id = $2", PgParams().add(time).add(race));
}

std::vector<Boat> PostgresStorage::readBoats(const PgResult& rows)
{
    std::vector<Boat> boats(static_cast<size_t>(rows.rows()));
    for (int row = 0; row < rows.rows(); ++row) {
        Boat& boat = boats[static_cast<size_t>(row)];
        boat.id = rows.integer(row, 0);
        boat.race = static_cast<int>(rows.integer(row, 1));
        boat.user = static_cast<int>(rows.integer(row, 2));
        boat.nick = rows.text(row, 3);
        boat.lat = rows.real(row, 4);
        boat.lon = rows.real(row, 5);
        boat.heading = rows.real(row, 6);
        boat.speed = rows.real(row, 7);
        boat.sail = static_cast<int>(rows.integer(row, 8));
        boat.waypoint = static_cast<int>(rows.integer(row, 9));
        boat.finished = rows.flag(row, 10);
        boat.finishTime = rows.integer(row, 11);
        boat.grounded = rows.flag(row, 12);
        boat.windDir = rows.real(row, 13);
        boat.windSpeed = rows.real(row, 14);
    }
    return boats;
}

std::vector<Boat> PostgresStorage::boats(int race)
{
    return readBoats(db.exec(std::string(boatColumns) + "WHERE race = $1 ORDER BY id", PgParams().add(race)));
}

std::optional<Boat> PostgresStorage::playerBoat(int race, int user)
{
    std::vector<Boat> found = readBoats(db.exec(std::string(boatColumns) + "WHERE race = $1 AND player = $2 AND player > 0",
        PgParams().add(race).add(user)));
    return found.empty() ? std::nullopt : std::optional<Boat>(found.front());
}

Boat PostgresStorage::insertBoat(PostgresDb::Transaction& transaction, Boat boat)
{
    // A player's boat takes the race's next revision, so that the simulating instance
    // notices it; a second join of the same player keeps the first boat.
    PgResult added = transaction.exec(
        "WITH next AS (UPDATE races SET revision = revision + 1 WHERE id = $1 AND $2::integer > 0 RETURNING revision) "
        "INSERT INTO boats (race, player, nick, lat, lon, heading, speed, sail, waypoint, finished, finish_time, grounded, "
        "wind_dir, wind_speed, revision) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, "
        "COALESCE((SELECT revision FROM next), 0)) ON CONFLICT (race, player) WHERE player > 0 DO NOTHING RETURNING id",
        PgParams().add(boat.race).add(boat.user).add(boat.nick).add(boat.lat).add(boat.lon).add(boat.heading).add(boat.speed).add(boat.sail).add(boat.waypoint).add(boat.finished).add(boat.finishTime).add(boat.grounded).add(boat.windDir).add(boat.windSpeed));
    if (added.rows() > 0) {
        boat.id = added.integer(0, 0);
        return boat;
    }
    std::vector<Boat> existing = readBoats(transaction.exec(std::string(boatColumns) + "WHERE race = $1 AND player = $2",
        PgParams().add(boat.race).add(boat.user)));
    if (existing.empty())
        throw DatabaseError("a boat could not be stored");
    return existing.front();
}

Boat PostgresStorage::addBoat(Boat boat)
{
    PostgresDb::Transaction transaction(db);
    boat = insertBoat(transaction, std::move(boat));
    transaction.commit();
    return boat;
}

std::vector<Boat> PostgresStorage::addBoats(std::vector<Boat> boats)
{
    PostgresDb::Transaction transaction(db);
    for (Boat& boat : boats)
        boat = insertBoat(transaction, std::move(boat));
    transaction.commit();
    return boats;
}

void PostgresStorage::saveBoats(const Boat* boats, size_t count)
{
    // One statement for the whole part of the fleet, its columns sent as arrays. A
    // player's heading and sail are written only by saveCourses.
    PgParams columns;
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.id; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.lat; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.lon; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.heading; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.speed; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.sail; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.waypoint; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.finished; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.finishTime; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.grounded; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.windDir; }));
    columns.add(arrayOf(boats, count, [](const Boat& b) { return b.windSpeed; }));
    db.exec("UPDATE boats AS b SET lat = v.lat, lon = v.lon, heading = CASE b.player WHEN 0 THEN v.heading ELSE b.heading END, "
            "speed = v.speed, sail = CASE b.player WHEN 0 THEN v.sail ELSE b.sail END, waypoint = v.waypoint, "
            "finished = v.finished, finish_time = v.finish_time, grounded = v.grounded, wind_dir = v.wind_dir, "
            "wind_speed = v.wind_speed FROM unnest($1::bigint[], $2::float8[], $3::float8[], $4::float8[], $5::float8[], "
            "$6::integer[], $7::integer[], $8::boolean[], $9::bigint[], $10::boolean[], $11::float8[], $12::float8[]) "
            "AS v (id, lat, lon, heading, speed, sail, waypoint, finished, finish_time, grounded, wind_dir, wind_speed) "
            "WHERE b.id = v.id",
        columns);
}

void PostgresStorage::saveCourses(const std::vector<Boat>& boats)
{
    // In the order of race and boat, so that instances writing at once take the rows'
    // locks in the same order.
    std::vector<const Boat*> ordered;
    for (const Boat& boat : boats)
        ordered.push_back(&boat);
    std::sort(ordered.begin(), ordered.end(), [](const Boat* a, const Boat* b) { return std::pair(a->race, a->id) < std::pair(b->race, b->id); });
    PostgresDb::Transaction transaction(db);
    for (const Boat* boat : ordered)
        transaction.exec("WITH next AS (UPDATE races SET revision = revision + 1 WHERE id = $1 RETURNING revision) "
                         "UPDATE boats SET heading = $2, sail = $3, speed = $4, grounded = $5, "
                         "revision = (SELECT revision FROM next) WHERE id = $6",
            PgParams().add(boat->race).add(boat->heading).add(boat->sail).add(boat->speed).add(boat->grounded).add(boat->id));
    transaction.commit();
}

BoatChanges PostgresStorage::boatChanges(int race, int64_t revision)
{
    // The revision is read first: every change up to it is committed by then, and changes
    // read beyond it are read again next time, which does no harm.
    BoatChanges changes;
    PgResult latest = db.exec("SELECT revision FROM races WHERE id = $1", PgParams().add(race));
    changes.revision = latest.rows() > 0 ? latest.integer(0, 0) : 0;
    changes.boats = readBoats(db.exec(std::string(boatColumns) + "WHERE race = $1 AND player > 0 AND revision > $2 ORDER BY revision",
        PgParams().add(race).add(revision)));
    return changes;
}

bool PostgresStorage::holdLease(int race, const std::string& owner, int seconds)
{
    // The database's clock decides, so that the instances' clocks need not agree.
    PgResult held = db.exec("INSERT INTO leases (race, owner, expires) VALUES ($1, $2, clock_timestamp() + make_interval(secs => $3)) "
                            "ON CONFLICT (race) DO UPDATE SET owner = excluded.owner, expires = excluded.expires "
                            "WHERE leases.owner = excluded.owner OR leases.expires < clock_timestamp() RETURNING owner",
        PgParams().add(race).add(owner).add(seconds));
    return held.rows() > 0;
}

void PostgresStorage::releaseLease(int race, const std::string& owner)
{
    db.exec("DELETE FROM leases WHERE race = $1 AND owner = $2", PgParams().add(race).add(owner));
}

} // namespace server
