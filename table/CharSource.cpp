#include "table/CharSource.h"

#include "table/Exception.h"

void CharSource::fail(const char* message)
{
    throw Exception(message);
}
