#include "client/core/session.h"

TSession& Session()
{
    static TSession session;
    return session;
}
