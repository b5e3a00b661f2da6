#include "gui/Utf.h"

#include "base/UniqueHandle.h"

#include <SDL.h>

#include <type_traits>
#include <vector>

namespace {

using Converter = UniqueHandle<std::remove_pointer_t<SDL_iconv_t>, SDL_iconv_close>;

// Converts a whole buffer with SDL's iconv; any invalid or incomplete sequence fails the
// conversion (SDL_iconv_string would skip it instead).
bool convert(const char* to, const char* from, const char* input, size_t inputBytes, std::vector<char>& output)
{
    SDL_iconv_t opened = SDL_iconv_open(to, from);
    if (opened == reinterpret_cast<SDL_iconv_t>(-1))
        return false;
    Converter converter(opened);
    output.assign(inputBytes * 4 + 8, '\0');
    const char* in = input;
    size_t inLeft = inputBytes;
    char* out = output.data();
    size_t outLeft = output.size();
    size_t result = SDL_iconv(converter.get(), &in, &inLeft, &out, &outLeft);
    if (result == SDL_ICONV_ERROR || result == SDL_ICONV_E2BIG || result == SDL_ICONV_EILSEQ
        || result == SDL_ICONV_EINVAL || inLeft != 0)
        return false;
    output.resize(output.size() - outLeft);
    return true;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// A surrogate without its partner (the caret may split a pair, and an edit then removes
// one half) becomes U+FFFD, the replacement character, as the platform's conversion makes
// it, so the rest of the text survives.
std::u16string withHalfPairsReplaced(std::u16string text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        // At the end text[i + 1] is the string's terminating null, which is no low surrogate.
        if (isHighSurrogate(text[i]) && isLowSurrogate(text[i + 1]))
            ++i;
        else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i]))
            text[i] = u'\uFFFD';
    }
    return text;
}

}

// UTF-16LE is the code-unit order of std::u16string on the little-endian machines the
// game runs on.
std::string toUtf8(const std::u16string& text)
{
    std::vector<char> bytes;
    std::u16string whole = withHalfPairsReplaced(text);
    if (whole.empty() || !convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(whole.data()), whole.size() * 2, bytes))
        return {};
    return std::string(bytes.begin(), bytes.end());
}

std::u16string toUtf16(const std::string& text)
{
    std::vector<char> bytes;
    if (text.empty() || !convert("UTF-16LE", "UTF-8", text.data(), text.size(), bytes))
        return {};
    std::u16string result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = char16_t(Uint8(bytes[2 * i]) | Uint8(bytes[2 * i + 1]) << 8);
    return result;
}

std::string cutUtf8(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (end > 0 && (Uint8(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}
