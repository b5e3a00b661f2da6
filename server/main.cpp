#include "server/Cairo.h"
#include "server/ServerInstance.h"
#include "server/ServerOptions.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <exception>

namespace {

// Every open connection takes a file descriptor; the soft limit (often 1024) would cap
// the players served long before memory or processors do.
void raiseOpenFileLimit()
{
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0)
        std::perror("tidewake-server: can't raise the open-file limit");
}

}

int main(int argc, char** argv)
{
    std::string error;
    std::optional<server::ServerOptions> options = server::ServerOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "tidewake-server: %s\n%s", error.c_str(), server::ServerOptions::usage());
        return 2;
    }
    if (options->help) {
        std::fputs(server::ServerOptions::usage(), stdout);
        return 0;
    }
    // The signals that end the server are taken by sigwait below, so every thread started
    // from here on must have them blocked.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    raiseOpenFileLimit();
    try {
        server::GameConfig config;
        config.dataDir = options->dataDir;
        config.database = options->database;
        config.robots = options->boats;
        config.timeScale = options->timeScale;
        config.boatsPerAnswer = static_cast<size_t>(options->boatsPerAnswer);
        config.tileCacheBytes = static_cast<uint64_t>(options->tileCacheMegabytes) << 20;
        config.httpThreads = static_cast<size_t>(options->threads);
        server::ServerInstance instance(config);
        int port = instance.start(options->bind, options->port);
        if (port < 0) {
            std::fprintf(stderr, "tidewake-server: can't listen on %s:%d\n", options->bind.c_str(), options->port);
            return 1;
        }
        std::printf("tidewake-server listening on http://%s:%d/ (data in %s)\n", options->bind.c_str(), port, options->dataDir.c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&endSignals, &signal);
        std::printf("tidewake-server: stopping\n");
        instance.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tidewake-server: %s\n", e.what());
        return 1;
    }
    server::releaseFontCaches();
    return 0;
}
