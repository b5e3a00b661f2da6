#include "app/FolderListing.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <filesystem>
#endif

namespace {

bool isListed(const std::string& name, bool isFolder)
{
    return !isFolder && !name.empty() && name[0] != '.';
}

}

#ifdef _WIN32

std::vector<std::string> listFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (isListed(entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

#else

std::vector<std::string> listFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    // The error-code overloads throughout: an unreadable entry must not end the program.
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code ignored;
        std::string name = entries->path().filename().string();
        if (isListed(name, entries->is_directory(ignored)))
            names.push_back(name);
    }
    return names;
}

#endif
