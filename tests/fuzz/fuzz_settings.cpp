// libFuzzer entry for the settings file.

#include "FuzzEntry.h"
#include "SettingsFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return RunFuzzCheck(CheckSettingsFile, data, size);
}
