#pragma once

#include <string>

// Removes blanks, tabs, carriage returns and line feeds from both ends; a text made only
// of them is returned unchanged.
std::string trim(const std::string& text);
bool startsWith(const std::string& text, const std::string& prefix);
bool endsWith(const std::string& text, const std::string& suffix);
// ASCII letters lower-cased byte by byte.
std::string toLower(std::string text);
