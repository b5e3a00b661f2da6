#include "AnswerText.h"
#include "race/RaceScreen.h"

// The race screen's periodic boats answer, envelope included.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    parseBoats(answerText(data, size));
    return 0;
}
