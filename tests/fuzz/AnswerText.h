#pragma once

#include "net/Protocol.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The downloaded bytes as the client holds an answer.
inline std::string answerText(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

// The table text that the lobby's wait dialog hands on to a parser: the envelope's content
// less "OK"; nothing for an answer the dialog shows as the server's refusal.
inline std::optional<std::string> lobbyTable(const uint8_t* data, size_t size)
{
    std::string text = extractResult(answerText(data, size));
    if (!isGoodAnswer(text))
        return std::nullopt;
    return answerTable(text);
}
