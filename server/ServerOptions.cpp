#include "server/ServerOptions.h"

#include "server/QueryValues.h"

#include <algorithm>

namespace server {

const char* ServerOptions::usage()
{
    return "usage: tidewake-server --data DIR [--port N] [--bind ADDR] [--boats N] [--time-scale X]\n"
           "                      [--boats-per-answer N] [--tile-cache-mb N] [--threads N]\n"
           "                      [--database postgresql://USER@HOST:PORT/DB]\n"
           "       tidewake-server --help\n"
           "  --data DIR        folder of the database, caches and races.txt (required)\n"
           "  --port N          port to listen on (default 7080; 0 picks a free one)\n"
           "  --bind ADDR       address to listen on (default 127.0.0.1)\n"
           "  --boats N         computer-steered boats per race (default 20)\n"
           "  --time-scale X    seconds of sailing per real second (default 1)\n"
           "  --boats-per-answer N  most boats in one boats list (default 300)\n"
           "  --tile-cache-mb N     most megabytes of map tiles kept on disk (default 1024)\n"
           "  --threads N       threads for logins, tiles and pictures (default 8)\n"
           "  --database URI    PostgreSQL shared by several instances (default: SQLite in DIR)\n"
           "  --help            print this usage and exit\n";
}

std::optional<ServerOptions> ServerOptions::parse(const std::vector<std::string>& arguments, std::string& error)
{
    ServerOptions options;
    // "--help" anywhere wins over every mistake in the rest of the line.
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        options.help = true;
        return options;
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (i + 1 >= arguments.size()) {
            error = "missing value after " + name;
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (name == "--port") {
            std::optional<int> port = parseInteger(value, 0, 65535);
            if (!port) {
                error = "--port needs a number from 0 to 65535";
                return std::nullopt;
            }
            options.port = *port;
        } else if (name == "--bind") {
            options.bind = value;
        } else if (name == "--data") {
            options.dataDir = value;
        } else if (name == "--database") {
            if (value.rfind("postgresql://", 0) != 0 && value.rfind("postgres://", 0) != 0) {
                error = "--database needs a postgresql:// URI";
                return std::nullopt;
            }
            options.database = value;
        } else if (name == "--boats") {
            std::optional<int> boats = parseInteger(value, 0, 100000);
            if (!boats) {
                error = "--boats needs a number from 0 to 100000";
                return std::nullopt;
            }
            options.boats = *boats;
        } else if (name == "--boats-per-answer") {
            std::optional<int> most = parseInteger(value, 1, 1000000);
            if (!most) {
                error = "--boats-per-answer needs a number from 1 to 1000000";
                return std::nullopt;
            }
            options.boatsPerAnswer = *most;
        } else if (name == "--tile-cache-mb") {
            std::optional<int> megabytes = parseInteger(value, 0, 1000000);
            if (!megabytes) {
                error = "--tile-cache-mb needs a number from 0 to 1000000";
                return std::nullopt;
            }
            options.tileCacheMegabytes = *megabytes;
        } else if (name == "--threads") {
            std::optional<int> threads = parseInteger(value, 1, 256);
            if (!threads) {
                error = "--threads needs a number from 1 to 256";
                return std::nullopt;
            }
            options.threads = *threads;
        } else if (name == "--time-scale") {
            std::optional<double> scale = parseReal(value);
            if (!scale || *scale <= 0.0 || *scale > 1e6) {
                error = "--time-scale needs a number above 0 and at most 1000000";
                return std::nullopt;
            }
            options.timeScale = *scale;
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    if (options.dataDir.empty()) {
        error = "--data DIR is required";
        return std::nullopt;
    }
    return options;
}

} // namespace server
