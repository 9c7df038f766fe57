#include "HttpsServer.h"

#include <openssl/pem.h>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

namespace tq::local {

std::unique_ptr<httplib::SSLServer> makeHttpsServer(const CertificatePem& certificate, int idleSeconds, int threads) {
    std::signal(SIGPIPE, SIG_IGN);
    BIO* certBio = BIO_new_mem_buf(certificate.certificatePem.data(), static_cast<int>(certificate.certificatePem.size()));
    BIO* keyBio = BIO_new_mem_buf(certificate.privateKeyPem.data(), static_cast<int>(certificate.privateKeyPem.size()));
    X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
    BIO_free(certBio);
    BIO_free(keyBio);
    if (!cert || !key) {
        X509_free(cert);
        EVP_PKEY_free(key);
        throw std::runtime_error("the certificate or its key cannot be read");
    }
    auto server = std::make_unique<httplib::SSLServer>(cert, key);  // the context keeps its own references
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!server->is_valid()) throw std::runtime_error("the TLS context cannot be set up");
    server->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    server->set_keep_alive_max_count(10000);
    // Without this a head and body written apart wait on the client's delayed acknowledgement.
    server->set_tcp_nodelay(true);
    server->set_keep_alive_timeout(idleSeconds);
    // Address reuse only: with the port shared as well, a second server would bind a port that is
    // taken and silently split its connections with the first.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    return server;
}

int listenOnLoopback(httplib::SSLServer& server, int port, std::thread& listener) {
    int bound = port == 0 ? server.bind_to_any_port("127.0.0.1") : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound < 0) return -1;
    listener = std::thread([&server] { server.listen_after_bind(); });
    // stop() does nothing to a server that has not begun listening, which would then listen for ever.
    for (int waited = 0; !server.is_running() && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return bound;
}

}  // namespace tq::local
