#pragma once

#include <string>

struct Answer;

// The seconds of a steady clock, which the command's times and the send times of the
// position requests are taken on.
double steadySeconds();

// What became of the last heading command: sending until the server's answer arrives,
// then sent or refused (or not sent when the transfer failed), and confirmed once a
// position answer shows the boat on the new heading. It also tells which position
// answers may still show the heading from before the command.
class CommandState {
public:
    enum class Stage { None,
        Sending,
        Sent,
        Confirmed,
        Refused,
        NotSent };

    // A heading submission was queued as the request (-1 when no transfer could be made);
    // a command still in flight is abandoned.
    void submitted(int request, double heading, double now);
    // Collects the submission's answer from the download thread once it has arrived.
    void poll(double now);
    // Takes in the submission's answer.
    void answered(const Answer& answer, double now);
    // Whether the answer to a position request sent at that time shows the server's course
    // after the command: false for a request sent before the command's answer arrived.
    bool isCurrent(double requestSentAt) const;
    // A current position answer showed the boat on this heading.
    void positionReported(double heading, double now);
    // The line under the heading ring; empty when there is nothing to show.
    std::string line(double now) const;

    Stage stage = Stage::None;
    // The submission in flight: a queued request while Sending, 0 otherwise.
    int request = 0;
    double heading = 0.0;
    double answeredAt = 0.0;
    double confirmedAt = 0.0;
    std::string refusal;
};
