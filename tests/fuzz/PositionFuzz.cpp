#include "AnswerText.h"
#include "race/RaceScreen.h"

// The race screen's periodic position answer, envelope included.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    parsePosition(answerText(data, size));
    return 0;
}
