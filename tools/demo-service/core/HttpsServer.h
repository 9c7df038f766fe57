#pragma once

#include <httplib.h>

#include <memory>
#include <thread>

#include "LocalCertificates.h"

namespace tq::local {

// An HTTPS server on cpp-httplib presenting `certificate`, set up as a real service answers: many
// connections at once, replies sent as soon as written, idle connections closed after
// `idleSeconds`. SIGPIPE is ignored, so a client that hangs up never ends the process.
std::unique_ptr<httplib::SSLServer> makeHttpsServer(const CertificatePem& certificate, int idleSeconds,
                                                    int threads = 64);

// Starts listening on 127.0.0.1 at `port` (0: a free port) on a thread of its own and returns the
// port, or -1 when it cannot bind. Returns once the server is running, so stop() always ends it.
int listenOnLoopback(httplib::SSLServer& server, int port, std::thread& listener);

}  // namespace tq::local
