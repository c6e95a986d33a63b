#include "platform/FontConfigWarmUp.h"

#include <fontconfig/fontconfig.h>

FontConfigWarmUp::FontConfigWarmUp() : thread_([] { FcInit(); }) {}

FontConfigWarmUp::~FontConfigWarmUp()
{
    Finish();
}

void FontConfigWarmUp::Finish()
{
    if (thread_.joinable())
        thread_.join();
}
