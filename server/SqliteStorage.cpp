#include "server/SqliteStorage.h"

#include <sodium.h>

#include <stdexcept>

namespace server {

namespace {

const char* const boatColumns = "id, race, user, nick, lat, lon, heading, speed, sail, waypoint, finished, finishTime, grounded, "
                                "windDir, windSpeed";

// The account of the query's next row (id, email, hash, nick), if there is one.
std::optional<Account> nextAccount(Statement& query)
{
    if (!query.step())
        return std::nullopt;
    return Account { static_cast<int>(query.integer(0)), query.text(1), query.text(2), query.text(3) };
}

}

SqliteStorage::SqliteStorage(const std::string& path)
    : db(path)
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
    db.exec("PRAGMA journal_mode=WAL");
    db.exec("PRAGMA synchronous=FULL");
    createSchema();
}

void SqliteStorage::createSchema()
{
    db.exec("CREATE TABLE IF NOT EXISTS users ("
            "id INTEGER PRIMARY KEY AUTOINCREMENT, email TEXT NOT NULL UNIQUE, hash TEXT NOT NULL, nick TEXT NOT NULL)");
    db.exec("CREATE TABLE IF NOT EXISTS sessions (token TEXT PRIMARY KEY, user INTEGER NOT NULL, created INTEGER NOT NULL, "
            "used INTEGER NOT NULL DEFAULT 0)");
    db.exec("CREATE TABLE IF NOT EXISTS races ("
            "id INTEGER PRIMARY KEY, name TEXT NOT NULL, descr TEXT NOT NULL, image TEXT NOT NULL, start INTEGER NOT NULL, "
            "route TEXT NOT NULL, clock INTEGER NOT NULL DEFAULT 0, revision INTEGER NOT NULL DEFAULT 0)");
    db.exec("CREATE TABLE IF NOT EXISTS boats ("
            "id INTEGER PRIMARY KEY AUTOINCREMENT, race INTEGER NOT NULL, user INTEGER NOT NULL, nick TEXT NOT NULL, "
            "lat REAL NOT NULL, lon REAL NOT NULL, heading REAL NOT NULL, speed REAL NOT NULL, sail INTEGER NOT NULL, "
            "waypoint INTEGER NOT NULL, finished INTEGER NOT NULL, finishTime INTEGER NOT NULL, grounded INTEGER NOT NULL, "
            "windDir REAL NOT NULL DEFAULT 0, windSpeed REAL NOT NULL DEFAULT 0, revision INTEGER NOT NULL DEFAULT 0)");
    db.exec("CREATE UNIQUE INDEX IF NOT EXISTS boatOfUser ON boats (race, user) WHERE user > 0");
    // Databases of earlier versions kept session tokens as they are.
    if (!hasColumn("sessions", "used"))
        digestSessionTokens();
    // They also lack the wind a boat last sailed in.
    if (!hasColumn("boats", "windDir")) {
        Transaction transaction(db);
        db.exec("ALTER TABLE boats ADD COLUMN windDir REAL NOT NULL DEFAULT 0");
        db.exec("ALTER TABLE boats ADD COLUMN windSpeed REAL NOT NULL DEFAULT 0");
        transaction.commit();
    }
    // And the revisions that tell other instances of the server what changed.
    if (!hasColumn("boats", "revision")) {
        Transaction transaction(db);
        db.exec("ALTER TABLE races ADD COLUMN revision INTEGER NOT NULL DEFAULT 0");
        db.exec("ALTER TABLE boats ADD COLUMN revision INTEGER NOT NULL DEFAULT 0");
        transaction.commit();
    }
}

bool SqliteStorage::hasColumn(const std::string& table, const std::string& column)
{
    Statement query(db, "SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
    query.bind(1, table).bind(2, column);
    return query.step();
}

std::optional<int> SqliteStorage::addAccount(const std::string& email, const std::string& hash, const std::string& nick)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement insert(db, "INSERT OR IGNORE INTO users (email, hash, nick) VALUES (?, ?, ?)");
    insert.bind(1, email).bind(2, hash).bind(3, nick).run();
    if (sqlite3_changes(db.handle()) == 0)
        return std::nullopt;
    return static_cast<int>(db.lastInsertId());
}

std::optional<Account> SqliteStorage::accountByEmail(const std::string& email)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT id, email, hash, nick FROM users WHERE email = ?");
    query.bind(1, email);
    return nextAccount(query);
}

std::optional<Account> SqliteStorage::accountById(int id)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT id, email, hash, nick FROM users WHERE id = ?");
    query.bind(1, id);
    return nextAccount(query);
}

void SqliteStorage::addSession(const std::string& token, int user, int64_t created)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement insert(db, "INSERT INTO sessions (token, user, created, used) VALUES (?, ?, ?, ?)");
    insert.bind(1, tokenDigest(token)).bind(2, user).bind(3, created).bind(4, created).run();
}

std::optional<StoredSession> SqliteStorage::session(const std::string& token)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT user, used FROM sessions WHERE token = ?");
    query.bind(1, tokenDigest(token));
    if (!query.step())
        return std::nullopt;
    return StoredSession { static_cast<int>(query.integer(0)), query.integer(1) };
}

void SqliteStorage::touchSession(const std::string& token, int64_t used)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement update(db, "UPDATE sessions SET used = ? WHERE token = ?");
    update.bind(1, used).bind(2, tokenDigest(token)).run();
}

void SqliteStorage::dropSessionsUnusedSince(int64_t time)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement remove(db, "DELETE FROM sessions WHERE used < ?");
    remove.bind(1, time).run();
}

void SqliteStorage::digestSessionTokens()
{
    Transaction transaction(db);
    db.exec("ALTER TABLE sessions ADD COLUMN used INTEGER NOT NULL DEFAULT 0");
    db.exec("UPDATE sessions SET used = created");
    std::vector<std::string> tokens;
    Statement query(db, "SELECT token FROM sessions");
    while (query.step())
        tokens.push_back(query.text(0));
    Statement update(db, "UPDATE sessions SET token = ? WHERE token = ?");
    for (const std::string& token : tokens)
        update.bind(1, tokenDigest(token)).bind(2, token).run();
    transaction.commit();
}

std::optional<Race> SqliteStorage::race(int id)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT id, name, descr, image, start, route FROM races WHERE id = ?");
    query.bind(1, id);
    if (!query.step())
        return std::nullopt;
    return Race { static_cast<int>(query.integer(0)), query.text(1), query.text(2), query.text(3), query.integer(4), decodeRoute(query.text(5)) };
}

void SqliteStorage::saveRace(const Race& race)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement upsert(db, "INSERT INTO races (id, name, descr, image, start, route) VALUES (?, ?, ?, ?, ?, ?) "
                         "ON CONFLICT (id) DO UPDATE SET name = excluded.name, descr = excluded.descr, "
                         "image = excluded.image, start = excluded.start, route = excluded.route");
    upsert.bind(1, race.id).bind(2, race.name).bind(3, race.descr).bind(4, race.imagePath).bind(5, race.start);
    upsert.bind(6, encodeRoute(race.route)).run();
}

std::vector<Race> SqliteStorage::races()
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT id, name, descr, image, start, route FROM races ORDER BY id");
    std::vector<Race> result;
    while (query.step())
        result.push_back({ static_cast<int>(query.integer(0)), query.text(1), query.text(2), query.text(3), query.integer(4), decodeRoute(query.text(5)) });
    return result;
}

int64_t SqliteStorage::raceClock(int race)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, "SELECT clock FROM races WHERE id = ?");
    query.bind(1, race);
    return query.step() ? query.integer(0) : 0;
}

void SqliteStorage::setRaceClock(int race, int64_t time)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement update(db, "UPDATE races SET clock = ? WHERE id = ?");
    update.bind(1, time).bind(2, race).run();
}

Boat SqliteStorage::readBoat(const Statement& row)
{
    Boat boat;
    boat.id = row.integer(0);
    boat.race = static_cast<int>(row.integer(1));
    boat.user = static_cast<int>(row.integer(2));
    boat.nick = row.text(3);
    boat.lat = row.real(4);
    boat.lon = row.real(5);
    boat.heading = row.real(6);
    boat.speed = row.real(7);
    boat.sail = static_cast<int>(row.integer(8));
    boat.waypoint = static_cast<int>(row.integer(9));
    boat.finished = row.integer(10) != 0;
    boat.finishTime = row.integer(11);
    boat.grounded = row.integer(12) != 0;
    boat.windDir = row.real(13);
    boat.windSpeed = row.real(14);
    return boat;
}

std::vector<Boat> SqliteStorage::boats(int race)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, std::string("SELECT ") + boatColumns + " FROM boats WHERE race = ? ORDER BY id");
    query.bind(1, race);
    std::vector<Boat> result;
    while (query.step())
        result.push_back(readBoat(query));
    return result;
}

std::optional<Boat> SqliteStorage::playerBoat(int race, int user)
{
    std::lock_guard<std::mutex> guard(lock);
    Statement query(db, std::string("SELECT ") + boatColumns + " FROM boats WHERE race = ? AND user = ? AND user > 0");
    query.bind(1, race).bind(2, user);
    return query.step() ? std::optional<Boat>(readBoat(query)) : std::nullopt;
}

namespace {

const char* const insertBoatSql = "INSERT INTO boats (race, user, nick, lat, lon, heading, speed, sail, waypoint, finished, "
                                  "finishTime, grounded, windDir, windSpeed, revision) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                  "ON CONFLICT (race, user) WHERE user > 0 DO NOTHING";

}

int64_t SqliteStorage::nextRevision(int race)
{
    Statement update(db, "UPDATE races SET revision = revision + 1 WHERE id = ? RETURNING revision");
    update.bind(1, race);
    return update.step() ? update.integer(0) : 0;
}

Boat SqliteStorage::insertBoat(Statement& insert, Boat boat)
{
    int64_t revision = boat.robot() ? 0 : nextRevision(boat.race);
    insert.bind(1, boat.race).bind(2, boat.user).bind(3, boat.nick).bind(4, boat.lat).bind(5, boat.lon);
    insert.bind(6, boat.heading).bind(7, boat.speed).bind(8, boat.sail).bind(9, boat.waypoint);
    insert.bind(10, boat.finished ? 1 : 0).bind(11, boat.finishTime).bind(12, boat.grounded ? 1 : 0);
    insert.bind(13, boat.windDir).bind(14, boat.windSpeed).bind(15, revision).run();
    if (sqlite3_changes(db.handle()) > 0) {
        boat.id = db.lastInsertId();
        return boat;
    }
    Statement query(db, std::string("SELECT ") + boatColumns + " FROM boats WHERE race = ? AND user = ? AND user > 0");
    query.bind(1, boat.race).bind(2, boat.user);
    if (!query.step())
        throw DatabaseError("a boat could not be stored");
    return readBoat(query);
}

Boat SqliteStorage::addBoat(Boat boat)
{
    std::lock_guard<std::mutex> guard(lock);
    Transaction transaction(db);
    Statement insert(db, insertBoatSql);
    boat = insertBoat(insert, std::move(boat));
    transaction.commit();
    return boat;
}

std::vector<Boat> SqliteStorage::addBoats(std::vector<Boat> boats)
{
    std::lock_guard<std::mutex> guard(lock);
    Transaction transaction(db);
    Statement insert(db, insertBoatSql);
    for (Boat& boat : boats)
        boat = insertBoat(insert, std::move(boat));
    transaction.commit();
    return boats;
}

void SqliteStorage::saveBoats(const Boat* boats, size_t count)
{
    std::lock_guard<std::mutex> guard(lock);
    Transaction transaction(db);
    // A player's heading and sail are written only by saveCourses: a copy of the fleet taken
    // before a course was set must not overwrite it.
    Statement update(db, "UPDATE boats SET lat = ?, lon = ?, heading = CASE user WHEN 0 THEN ? ELSE heading END, speed = ?, "
                         "sail = CASE user WHEN 0 THEN ? ELSE sail END, waypoint = ?, finished = ?, finishTime = ?, "
                         "grounded = ?, windDir = ?, windSpeed = ? WHERE id = ?");
    for (const Boat* boat = boats; boat != boats + count; ++boat) {
        update.bind(1, boat->lat).bind(2, boat->lon).bind(3, boat->heading).bind(4, boat->speed).bind(5, boat->sail);
        update.bind(6, boat->waypoint).bind(7, boat->finished ? 1 : 0).bind(8, boat->finishTime).bind(9, boat->grounded ? 1 : 0);
        update.bind(10, boat->windDir).bind(11, boat->windSpeed).bind(12, boat->id).run();
    }
    transaction.commit();
}

void SqliteStorage::saveCourses(const std::vector<Boat>& boats)
{
    std::lock_guard<std::mutex> guard(lock);
    Transaction transaction(db);
    Statement update(db, "UPDATE boats SET heading = ?, sail = ?, speed = ?, grounded = ?, revision = ? WHERE id = ?");
    for (const Boat& boat : boats) {
        update.bind(1, boat.heading).bind(2, boat.sail).bind(3, boat.speed).bind(4, boat.grounded ? 1 : 0);
        update.bind(5, nextRevision(boat.race)).bind(6, boat.id).run();
    }
    transaction.commit();
}

BoatChanges SqliteStorage::boatChanges(int race, int64_t revision)
{
    std::lock_guard<std::mutex> guard(lock);
    Transaction transaction(db);
    BoatChanges changes;
    Statement query(db, std::string("SELECT ") + boatColumns + " FROM boats WHERE race = ? AND revision > ? ORDER BY revision");
    query.bind(1, race).bind(2, revision);
    while (query.step())
        changes.boats.push_back(readBoat(query));
    Statement latest(db, "SELECT revision FROM races WHERE id = ?");
    latest.bind(1, race);
    changes.revision = latest.step() ? latest.integer(0) : 0;
    transaction.commit();
    return changes;
}

} // namespace server
