#include "net/CacheFile.h"

#include <filesystem>

namespace {

// The path starts at the first "/" after the scheme's seven bytes ("http://").
const size_t schemeLength = 7;

bool isSafeSegment(const std::string& segment)
{
    return !segment.empty() && segment != "." && segment != "..";
}

}

std::optional<std::string> cachePathOf(const std::string& url)
{
    size_t slash = url.size() > schemeLength ? url.find('/', schemeLength) : std::string::npos;
    if (slash == std::string::npos)
        return std::nullopt;
    std::string path = url.substr(slash + 1);
    if (path.find('\0') != std::string::npos || path.find('\\') != std::string::npos)
        return std::nullopt;
    size_t start = 0;
    while (true) {
        size_t end = path.find('/', start);
        if (!isSafeSegment(path.substr(start, end == std::string::npos ? std::string::npos : end - start)))
            return std::nullopt;
        if (end == std::string::npos)
            return path;
        start = end + 1;
    }
}

bool createFolders(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}
