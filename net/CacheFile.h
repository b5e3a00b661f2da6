#pragma once

#include <optional>
#include <string>

// The file of a downloaded URL relative to the cache folder: the URL's path after the host
// ("tiles/3/4/5.png" for "http://host/tiles/3/4/5.png"). The path comes from the server, so
// it is refused (null) unless every segment names a plain file or folder inside the cache
// folder: no host-only URL, no empty, "." or ".." segment, no backslash, no NUL byte.
std::optional<std::string> cachePathOf(const std::string& url);

// Creates the folder and every missing parent; true when it exists afterwards.
bool createFolders(const std::string& path);
bool isRegularFile(const std::string& path);
