// libFuzzer entry for the rows of the training journal.

#include "FuzzEntry.h"
#include "JournalFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzCheck(CheckJournalRows, data, size);
}
