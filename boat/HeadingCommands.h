#pragma once

#include "gui/Command.h"

struct BoatRecord;
struct RaceRecord;

// Apply: sends the edited heading and sail to the race server.
class SubmitHeadingCommand : public Command {
public:
    SubmitHeadingCommand(BoatRecord* boat, RaceRecord* race);
    void execute() override;

private:
    BoatRecord* boat;
    RaceRecord* race;
};

// Cancel: the boat gets the last heading, sail and speed known from the server back.
class CancelHeadingCommand : public Command {
public:
    CancelHeadingCommand(BoatRecord* boat, RaceRecord* race);
    void execute() override;

private:
    BoatRecord* boat;
    RaceRecord* race;
};
