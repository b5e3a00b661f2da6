#pragma once

#include <string>

// UTF-8 <-> UTF-16 conversions of the input line; each gives an empty string when the
// input is empty or cannot be converted (invalid UTF-8 sequences). A surrogate without its
// partner becomes U+FFFD.
std::string toUtf8(const std::u16string& text);
std::u16string toUtf16(const std::string& text);

// The text cut to at most maxBytes bytes, never inside a UTF-8 character.
std::string cutUtf8(const std::string& text, size_t maxBytes);
