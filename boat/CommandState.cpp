#include "boat/CommandState.h"

#include "gui/Utf.h"
#include "net/Downloader.h"
#include "net/Protocol.h"

#include <chrono>
#include <cmath>

namespace {

// A confirmed command's line goes away after this many seconds.
constexpr double confirmedLineSeconds = 60.0;
// The server's heading may differ from the one sent by its rounding.
constexpr double headingTolerance = 0.5;
// The server's refusal is cut to fit one line under the ring.
constexpr size_t refusalBytes = 60;

double headingDifference(double a, double b)
{
    double difference = std::fmod(std::fabs(a - b), 360.0);
    return difference > 180.0 ? 360.0 - difference : difference;
}

}

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void CommandState::submitted(int newRequest, double newHeading, double now)
{
    if (stage == Stage::Sending)
        downloader.cancel(request);
    heading = newHeading;
    request = newRequest;
    stage = Stage::Sending;
    refusal.clear();
    if (newRequest <= 0) {
        Answer none;
        answered(none, now);
    }
}

void CommandState::poll(double now)
{
    Answer answer;
    if (stage == Stage::Sending && downloader.pollById(request, answer))
        answered(answer, now);
}

void CommandState::answered(const Answer& answer, double now)
{
    request = 0;
    answeredAt = now;
    if (answer.status != 0) {
        stage = Stage::NotSent;
        return;
    }
    std::string text = extractResult(answer.bytes ? std::string(answer.bytes.get(), answer.length) : std::string());
    stage = isGoodAnswer(text) ? Stage::Sent : Stage::Refused;
    if (stage == Stage::Refused)
        refusal = cutUtf8(text, refusalBytes);
}

// The server applies a command before it answers, so a request sent after the answer
// arrived sees it; one sent earlier may have been served before the command.
bool CommandState::isCurrent(double requestSentAt) const
{
    return stage == Stage::None || (stage != Stage::Sending && requestSentAt > answeredAt);
}

void CommandState::positionReported(double reported, double now)
{
    if (stage == Stage::Sent && headingDifference(reported, heading) <= headingTolerance) {
        stage = Stage::Confirmed;
        confirmedAt = now;
    }
}

std::string CommandState::line(double now) const
{
    switch (stage) {
    case Stage::Sending:
        return "Sending...";
    case Stage::Sent:
        return "Sent";
    case Stage::Confirmed:
        return now - confirmedAt < confirmedLineSeconds ? "Confirmed" : "";
    case Stage::Refused:
        return "Refused: " + refusal;
    case Stage::NotSent:
        return "Not sent: no connection";
    case Stage::None:
        break;
    }
    return "";
}
