#pragma once

#include <string>
#include <vector>

// The names of the plain entries of a folder, in the order the file system returns them.
// Folders and names that begin with "." are left out; a folder that cannot be opened
// lists as empty.
std::vector<std::string> listFiles(const std::string& folder);
