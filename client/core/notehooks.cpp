#include "client/core/notehooks.h"

TNoteHooks& NoteHooks()
{
    static TNoteHooks hooks;
    return hooks;
}
