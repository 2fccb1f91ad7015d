#include "platform/core/exceptions.h"

EListError EListError::IndexError(long long index)
{
    return EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void Abort()
{
    throw EAbort();
}
