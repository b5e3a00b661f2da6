#pragma once

#include "gui/Command.h"

struct BoatRecord;
struct RaceEntry;

// Apply: sends the edited heading and sail to the race server.
class SubmitHeadingCommand : public Command {
public:
    SubmitHeadingCommand(BoatRecord* boat, RaceEntry* race);
    void execute() override;

private:
    BoatRecord* boat;
    RaceEntry* race;
};

// Cancel: the boat gets the last heading, sail and speed known from the server back.
class CancelHeadingCommand : public Command {
public:
    CancelHeadingCommand(BoatRecord* boat, RaceEntry* race);
    void execute() override;

private:
    BoatRecord* boat;
    RaceEntry* race;
};
