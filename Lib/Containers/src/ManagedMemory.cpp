#include "ManagedMemory.h"

#include "VMError.h"

namespace {
thread_local ManagedMemory* currentMemory = nullptr;
}

ManagedMemory* ManagedMemory::current()
{
    return currentMemory;
}

void ManagedMemory::setCurrent(ManagedMemory* memory)
{
    currentMemory = memory;
}

void ManagedMemory::wrongObject()
{
    Lumbra::throwError(Lumbra::EVM, std::string_view("object of the wrong kind"));
}
