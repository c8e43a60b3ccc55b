#pragma once

#include <string>

// Simulated hosts of one test process. Every 127.x.y.z is this machine, so
// each test process takes a block of its own (from its process id): tests run
// side by side (ctest -j, several checkouts) and never meet on port 8096.
std::string LoopbackHost(int n);

// A port free on 127.0.0.1 at the time of asking, for servers that cannot be told port 0.
int FreeLoopbackPort();

// A TCP socket listening on 127.0.0.1 at a port the system picks: its descriptor
// (-1 when none could be made), the port in `port`.
int ListenOnLoopback(int backlog, int& port);
