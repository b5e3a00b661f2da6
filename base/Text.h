#pragma once

#include <string>

// The text between the first "<result>" and the first "</result>" after it; empty when
// either marker is missing.
std::string extractResult(const std::string& text);
// Removes blanks, tabs, carriage returns and line feeds from both ends; a text made only
// of them is returned unchanged.
std::string trim(const std::string& text);
bool startsWith(const std::string& text, const std::string& prefix);
bool endsWith(const std::string& text, const std::string& suffix);
// ASCII letters lower-cased byte by byte.
std::string toLower(std::string text);
