#include "platform/testing/loopback.h"

#include <unistd.h>

std::string LoopbackHost(int n)
{
    // 127.0.x.y is left to hand-run tools; blocks start at 127.1.
    const unsigned pid = static_cast<unsigned>(getpid());
    const unsigned high = 1 + (pid / 256) % 250;
    const unsigned low = pid % 256;
    return "127." + std::to_string(high) + "." + std::to_string(low) + "." + std::to_string(n & 0xff);
}
