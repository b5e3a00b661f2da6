#include "AnswerText.h"

// The heading submission's answer, which the download thread only checks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    isAcknowledged(answerText(data, size));
    return 0;
}
