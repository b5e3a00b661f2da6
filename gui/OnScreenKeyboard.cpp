#include "gui/OnScreenKeyboard.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace {

// On-screen keyboards found in Linux desktops, in order of preference.
const char* const keyboards[] = { "onboard", "florence", "matchbox-keyboard", "squeekboard" };

bool isInstalled(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}

void showOnScreenKeyboard()
{
    for (const char* program : keyboards) {
        if (!isInstalled(program))
            continue;
        char* arguments[] = { const_cast<char*>(program), nullptr };
        pid_t child = 0;
        if (posix_spawnp(&child, program, nullptr, nullptr, arguments, environ) == 0) {
            // Reap the keyboard whenever it ends, so it never lingers as a zombie.
            std::thread([child] { waitpid(child, nullptr, 0); }).detach();
        }
        return;
    }
}
