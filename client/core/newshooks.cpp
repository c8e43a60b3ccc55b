#include "client/core/newshooks.h"

NewsHooks& News()
{
    static NewsHooks hooks;
    return hooks;
}
