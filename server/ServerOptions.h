#pragma once

#include <optional>
#include <string>
#include <vector>

namespace server {

// The command line of tidewake-server.
struct ServerOptions {
    int port = 7080;
    std::string bind = "127.0.0.1";
    std::string dataDir;
    // A PostgreSQL connection URI; empty for SQLite in the data folder.
    std::string database;
    int boats = 20;
    double timeScale = 1.0;
    int boatsPerAnswer = 300;
    int tileCacheMegabytes = 1024;
    int threads = 8;
    bool help = false;

    // The options, or nothing with `error` describing what is wrong. "--help" anywhere
    // gives `help` set and nothing else read.
    static std::optional<ServerOptions> parse(const std::vector<std::string>& arguments, std::string& error);
    static const char* usage();
};

} // namespace server
