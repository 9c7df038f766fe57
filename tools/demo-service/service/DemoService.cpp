#include "DemoService.h"

#include <fstream>
#include <iostream>

#include "HttpsServer.h"
#include "product/ProductSites.h"

namespace tq::demo {
namespace {

constexpr const char* kMediaHost = ProductSites::media;
constexpr const char* kJson = "application/json; charset=utf-8";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// The host without its port.
std::string hostOf(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    auto colon = host.rfind(':');
    if (colon != std::string::npos && host.find(']') == std::string::npos) host.resize(colon);
    for (auto& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host;
}

bool isProductSite(const std::string& host) {
    return host == ProductSites::french || host == ProductSites::english || host == ProductSites::spanish;
}

bool isLocalName(const std::string& host) { return host == "127.0.0.1" || host == "localhost"; }

std::string contentTypeOf(const std::filesystem::path& path) {
    auto extension = path.extension().string();
    if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
    if (extension == ".png") return "image/png";
    if (extension == ".mp3") return "audio/mpeg";
    if (extension == ".mp4") return "video/mp4";
    if (extension == ".zip") return "application/zip";
    return "application/octet-stream";
}

void reply(httplib::Response& response, int status, const std::string& body, const char* type = kJson) {
    response.status = status;
    response.set_content(body, type);
}

// The target's query: its text after the first "?", or none.
std::optional<std::string> queryOf(const std::string& target) {
    auto question = target.find('?');
    if (question == std::string::npos) return std::nullopt;
    return target.substr(question + 1);
}

}  // namespace

std::vector<std::string> serviceHostNames() {
    return {ProductSites::french, ProductSites::english, ProductSites::spanish, kMediaHost};
}

std::optional<std::vector<std::string>> pathSegments(const std::string& target) {
    std::string path = target.substr(0, target.find('?'));
    if (path.empty() || path.front() != '/') return std::nullopt;
    std::vector<std::string> segments;
    std::size_t start = 1;
    while (true) {
        auto slash = path.find('/', start);
        auto raw = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        auto decoded = percentDecoded(raw);
        if (!decoded || *decoded == "." || *decoded == ".." ||
            decoded->find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
            return std::nullopt;
        }
        segments.push_back(*decoded);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    // An address ending in "/" has no last segment of its own.
    if (!segments.empty() && segments.back().empty()) segments.pop_back();
    return segments;
}

DemoService::DemoService(std::filesystem::path dataFolder, DemoCatalogue& catalogue,
                         const local::CertificatePem& certificate)
    : data_(std::filesystem::canonical(dataFolder)), catalogue_(catalogue),
      server_(local::makeHttpsServer(certificate, 5, 16)) {
    server_->set_payload_max_length(kMaxBodyBytes);
    server_->set_read_timeout(10, 0);
    auto handler = [this](const httplib::Request& request, httplib::Response& response) { route(request, response); };
    server_->Get(".*", handler);
    server_->Post(".*", handler);
    auto refuse = [](const httplib::Request&, httplib::Response& response) {
        reply(response, 405, DemoCatalogue::failure());
    };
    server_->Put(".*", refuse);
    server_->Delete(".*", refuse);
    server_->Patch(".*", refuse);
    // Requests the server itself turns away (a body beyond the limit, a request it cannot read)
    // still get the envelope of failure the client reads.
    server_->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) response.set_content(DemoCatalogue::failure(), kJson);
    });
}

DemoService::~DemoService() { stop(); }

int DemoService::start(int port) { return local::listenOnLoopback(*server_, port, listener_); }

void DemoService::stop() {
    {
        std::lock_guard lock(gate_);
        stopping_ = true;
    }
    gateChanged_.notify_all();
    if (server_) server_->stop();
    if (listener_.joinable()) listener_.join();
}

void DemoService::holdArchives(bool hold) {
    {
        std::lock_guard lock(gate_);
        holding_ = hold;
    }
    gateChanged_.notify_all();
}

bool DemoService::passArchiveGate(const std::string& name) {
    std::unique_lock lock(gate_);
    if (holding_ && !stopping_) std::cout << "trelvoquest-demo-service: holding archive " << name << std::endl;
    gateChanged_.wait(lock, [this] { return !holding_ || stopping_; });
    return !stopping_;
}

void DemoService::route(const httplib::Request& request, httplib::Response& response) {
    auto segments = pathSegments(request.target);
    if (!segments) return reply(response, 400, DemoCatalogue::failure());
    const std::string host = hostOf(request);
    if (isLocalName(host)) return localRequest(request, *segments, response);
    if (host == kMediaHost) {
        if (request.method != "GET") return reply(response, 405, DemoCatalogue::failure());
        return file(data_ / "media", *segments, response);
    }
    if (!isProductSite(host)) return reply(response, 404, DemoCatalogue::failure());
    bool isWebService = segments->size() >= 2 && (*segments)[0] == "public" && (*segments)[1] == "webservice";
    if (isWebService) return webService(request, *segments, response);
    if (request.method != "GET") return reply(response, 405, DemoCatalogue::failure());
    file(data_ / "www", *segments, response);
}

// Every operation is a GET with the "api-version" header and "?callback=no", except the update
// check, a form POST without them. A request the real service would turn away gets its envelope
// of failure.
void DemoService::webService(const httplib::Request& request, const std::vector<std::string>& segments,
                             httplib::Response& response) {
    std::vector<std::string> operation(segments.begin() + 2, segments.end());
    if (operation == std::vector<std::string>{"isUpdatesAvailableIos"}) {
        if (request.method != "POST") return reply(response, 405, DemoCatalogue::failure());
        return updateCheck(request, response);
    }
    if (request.method != "GET" || !request.body.empty()) return reply(response, 405, DemoCatalogue::failure());
    if (request.get_header_value("api-version") != "1.1" || queryOf(request.target) != "callback=no") {
        return reply(response, 200, DemoCatalogue::failure());
    }
    auto answer = catalogue_.answer(operation);
    reply(response, 200, answer ? *answer : DemoCatalogue::failure());
}

void DemoService::updateCheck(const httplib::Request& request, httplib::Response& response) {
    auto errorReply = [&](const std::string& why) {
        // The error form of this operation carries its reason as text.
        reply(response, 200, DemoCatalogue::Json{{"results", why}, {"status", "error"}}.dump());
    };
    if (request.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) != 0) {
        return errorReply("a form is expected");
    }
    std::string id, date;
    int pairs = 0;
    std::size_t start = 0;
    const std::string& body = request.body;
    while (start <= body.size() && !body.empty()) {
        auto end = body.find('&', start);
        std::string pair = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto equals = pair.find('=');
        auto key = percentDecoded(pair.substr(0, equals));
        auto value = equals == std::string::npos ? std::nullopt : percentDecoded(pair.substr(equals + 1));
        if (!key || !value) return errorReply("the form cannot be read");
        if (*key == "tours[][id]") id = *value;
        else if (*key == "tours[][date]") date = *value;
        else return errorReply("unknown field " + *key);
        ++pairs;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (pairs != 2 || id.empty() || date.size() != 19) return errorReply("tours[][id] and tours[][date] are expected");
    reply(response, 200, catalogue_.updateCheck(id, date));
}

// Asked by the machine itself under its own name, never through the product's host names: the
// service's greeting (what the run command waits for), and marking a tour as updated.
void DemoService::localRequest(const httplib::Request& request, const std::vector<std::string>& segments,
                               httplib::Response& response) {
    if (segments.empty() && request.method == "GET") {
        return reply(response, 200, "TrelvoQuest demo service\n", "text/plain; charset=utf-8");
    }
    if (segments.size() == 3 && segments[0] == "demo" && segments[1] == "updated" && request.method == "POST") {
        if (!catalogue_.markUpdated(segments[2])) return reply(response, 404, "no such tour\n", "text/plain");
        return reply(response, 200, "tour " + segments[2] + " marked as updated\n", "text/plain");
    }
    if (segments.size() == 2 && segments[0] == "demo" && (segments[1] == "hold" || segments[1] == "release") &&
        request.method == "POST") {
        holdArchives(segments[1] == "hold");
        return reply(response, 200, "archives " + segments[1] + (segments[1] == "hold" ? "\n" : "d\n"), "text/plain");
    }
    reply(response, 404, "not found\n", "text/plain");
}

void DemoService::file(const std::filesystem::path& root, const std::vector<std::string>& segments,
                       httplib::Response& response) {
    if (segments.empty()) return reply(response, 404, DemoCatalogue::failure());
    std::filesystem::path path = root;
    for (const auto& segment : segments) path /= segment;
    // The segments hold no ".." and no "/", but a link inside the data could still lead out: the
    // resolved file must lie inside the data folder.
    std::error_code error;
    auto resolved = std::filesystem::canonical(path, error);
    auto relative = error ? std::filesystem::path() : resolved.lexically_relative(data_);
    if (error || relative.empty() || relative.native().starts_with("..") ||
        !std::filesystem::is_regular_file(resolved, error)) {
        return reply(response, 404, DemoCatalogue::failure());
    }
    auto stream = std::make_shared<std::ifstream>(resolved, std::ios::binary);
    auto size = std::filesystem::file_size(resolved, error);
    if (!*stream || error) return reply(response, 404, DemoCatalogue::failure());
    // A tile archive stops halfway while the gate is closed.
    const bool gated = resolved.extension() == ".zip";
    const size_t half = size / 2;
    const std::string name = resolved.filename().string();
    response.set_content_provider(
        size, contentTypeOf(resolved),
        [this, stream, gated, half, name](size_t offset, size_t length, httplib::DataSink& sink) {
            if (gated && offset == half && !passArchiveGate(name)) return false;
            if (gated && offset < half) length = std::min(length, half - offset);
            std::vector<char> buffer(std::min<size_t>(length, 64 * 1024));
            stream->seekg(static_cast<std::streamoff>(offset));
            stream->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            auto got = static_cast<size_t>(stream->gcount());
            return got > 0 && sink.write(buffer.data(), got);
        });
}

}  // namespace tq::demo
