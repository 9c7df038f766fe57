#include "DemoServiceProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <thread>

#include "platform/foundation/FileSystem.h"
#include "product/ProductSites.h"

namespace tq::test {
namespace {

std::optional<int> statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return std::nullopt;
}

}  // namespace

DemoServiceProcess::DemoServiceProcess(Options options) {
    std::signal(SIGPIPE, SIG_IGN);  // a service that hangs up must not end the test program
    std::vector<std::string> arguments = {TQ_DEMO_SERVICE_PROGRAM, "--port", std::to_string(options.port), "--data",
                                          options.data.string(), "--state", state_.path().string()};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    auto outputFile = state_.path() / "output.txt";
    pid_ = fork();
    if (pid_ == 0) {
        int fd = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid_ < 0) {
        ADD_FAILURE() << "cannot start the demo service";
        return;
    }
    // The service prints its address once it listens, or ends with its reason.
    static const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+),");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::smatch match;
        std::string text = output();
        if (std::regex_search(text, match, listening)) {
            port_ = std::stoi(match[1]);
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitStatus_ = statusOf(status);
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the demo service neither listened nor ended within 20 s: " << output();
}

DemoServiceProcess::~DemoServiceProcess() { stop(); }

int DemoServiceProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exitStatus_ = statusOf(status);
        pid_ = -1;
    }
    return exitStatus_.value_or(-1);
}

std::string DemoServiceProcess::output() const { return readFile(state_.path() / "output.txt").value_or(""); }

void DemoServiceProcess::connect(Environment& env) const {
    for (const char* host : {ProductSites::french, ProductSites::english, ProductSites::spanish, ProductSites::media}) {
        env.hostRoutes()[host] = address();
    }
    env.extraTrustedCertificate() = authority();
}

RawReply exchange(const DemoServiceProcess& service, const RawRequest& request) {
    RawReply reply;
    int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(service.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        ADD_FAILURE() << "cannot connect to the demo service";
        return reply;
    }
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL_CTX_load_verify_locations(context, service.authority().c_str(), nullptr);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, sock);
    SSL_set_tlsext_host_name(ssl, request.host.c_str());
    SSL_set1_host(ssl, request.host.c_str());
    if (SSL_connect(ssl) == 1) {
        std::string bytes = request.head + "\r\n";
        std::size_t bodyBytes = request.cutAfter ? std::min(*request.cutAfter, request.body.size()) : request.body.size();
        bytes.append(request.body, 0, bodyBytes);
        // Written in pieces: a service that turns the request away may close before it has all.
        for (std::size_t at = 0; at < bytes.size();) {
            int n = SSL_write(ssl, bytes.data() + at, static_cast<int>(std::min<std::size_t>(bytes.size() - at, 16384)));
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
        if (request.cutAfter) {
            SSL_shutdown(ssl);
            ::shutdown(sock, SHUT_WR);
        }
        // Read to the end of the reply: the connection's end, or the length the reply announced
        // (a server that keeps the connection open is not waited for).
        char buffer[16384];
        static const std::regex length("\r\nContent-Length: *([0-9]+)\r\n", std::regex::icase);
        for (int n; (n = SSL_read(ssl, buffer, sizeof buffer)) > 0;) {
            reply.whole.append(buffer, static_cast<size_t>(n));
            auto blank = reply.whole.find("\r\n\r\n");
            std::smatch match;
            std::string head = reply.whole.substr(0, blank);
            if (blank != std::string::npos && std::regex_search(head, match, length) &&
                reply.whole.size() >= blank + 4 + std::stoul(match[1])) {
                break;
            }
        }
    } else {
        ADD_FAILURE() << "TLS with the demo service failed";
    }
    SSL_free(ssl);
    SSL_CTX_free(context);
    ::close(sock);
    static const std::regex statusLine("^HTTP/1\\.[01] ([0-9]{3})");
    std::smatch match;
    if (std::regex_search(reply.whole, match, statusLine)) {
        reply.answered = true;
        reply.status = std::stoi(match[1]);
        auto blank = reply.whole.find("\r\n\r\n");
        if (blank != std::string::npos) reply.body = reply.whole.substr(blank + 4);
    }
    return reply;
}

}  // namespace tq::test
