#include "client/core/featurehooks.h"

TFeatureHooks& FeatureHooks()
{
    static TFeatureHooks hooks;
    return hooks;
}
