#include "client/core/featurewindows.h"

TFeatureWindows& FeatureWindows()
{
    static TFeatureWindows windows;
    return windows;
}
