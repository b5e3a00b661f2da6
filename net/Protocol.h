#pragma once

#include <cstdint>
#include <string>

// The race server's requests and the envelope of its answers, in one place. Every URL
// starts with the "raceServer" setting; query values are escaped.

std::string loginUrl(const std::string& email, const std::string& password);
std::string registrationUrl(const std::string& email, const std::string& password, const std::string& nick);
std::string raceListUrl();
std::string joinUrl(int32_t raceId);
std::string boatDescriptionUrl(int32_t raceId);
std::string routeUrl(int32_t raceId);
// The two answers the race screen asks for periodically: every boat, and the own position.
std::string boatsUrl(int32_t raceId);
std::string positionUrl(int32_t raceId);
// The heading written as a default output stream writes it (87.5, 90, 0.333333).
std::string headingUrl(double heading, int32_t sail, int32_t raceId);
// The wind grid of one 256-pixel map tile at a forecast time; its answer has no envelope.
std::string windUrl(int32_t z, int32_t x, int32_t y, int32_t time);
// The land of one 256-pixel map tile as a coarse grid, asked of the companion server by the
// router; a race server without it answers with an error.
std::string landMaskUrl(int32_t raceId, int32_t z, int32_t x, int32_t y);

// The text between the first "<result>" and the first "</result>" after it; empty when
// either marker is missing.
std::string extractResult(const std::string& answer);
// Whether the answer of a fire-and-forget request (the heading submission) is a good one:
// its envelope text begins with "OK".
bool isAcknowledged(const std::string& answer);
// A good answer's envelope text begins with "OK"; any other text is the server's refusal.
bool isGoodAnswer(const std::string& text);
// The table text of a good answer's envelope text: what follows "OK" and its separator.
std::string answerTable(const std::string& text);
