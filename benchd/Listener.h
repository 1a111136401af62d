#pragma once
// Listening sockets on loopback and a thread per accepted connection.
#include <functional>

// A listening TCP (or UDP) socket on 127.0.0.1; port 0 picks a free one.
// -1 when the port cannot be had.
int listenOn(unsigned port, bool udp = false);
unsigned portOf(int fd);
// Accepts connections for ever, each served on a detached thread.
void serveConnections(int listener, std::function<void(int)> serve);
