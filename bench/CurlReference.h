#pragma once

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpClient.h"
#include "support/TestWebService.h"

namespace tq::bench {

// Plain libcurl set up as the client is: one multi handle kept for the whole run (so it keeps its
// connections and its cache of certificate authorities between rounds), the same connections per
// host, the same authorities (the system's and the test service's) and the same routes. Every
// address of a round is fetched at once.
class CurlReference {
public:
    CurlReference(const test::TestWebService& service, const std::filesystem::path& folder) {
        HttpClientConfiguration defaults;
        authorities_ = folder / "reference-authorities.pem";
        writeFileAtomically(authorities_, readFile(defaults.systemCertificates).value_or("") + "\n" +
                                              readFile(service.certificatePath()).value_or(""));
        for (const auto& host : service.hostNames()) routes_ = curl_slist_append(routes_, (host + "::" + service.address()).c_str());
        multi_ = curl_multi_init();
        curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, defaults.maxConnectionsPerHost);
    }
    ~CurlReference() {
        curl_multi_cleanup(multi_);
        curl_slist_free_all(routes_);
    }
    CurlReference(const CurlReference&) = delete;
    CurlReference& operator=(const CurlReference&) = delete;

    // Fetches every address to its own file in `folder`; the seconds taken, or a negative figure
    // when any transfer failed.
    double downloadAll(const std::vector<std::string>& urls, const std::filesystem::path& folder) {
        std::vector<Transfer> transfers(urls.size());
        for (std::size_t i = 0; i < urls.size(); ++i) {
            transfers[i].file = std::fopen((folder / ("reference-" + std::to_string(i))).c_str(), "wb");
        }
        return run(urls, transfers);
    }

    // Fetches one address into memory; the seconds taken, or a negative figure on failure.
    double fetch(const std::string& url, std::string& body) {
        std::vector<Transfer> transfers(1);
        double seconds = run({url}, transfers);
        body = std::move(transfers.front().body);
        return seconds;
    }

private:
    struct Transfer {
        CURL* handle = nullptr;
        std::FILE* file = nullptr;
        std::string body;
    };

    static size_t receive(char* data, size_t size, size_t count, void* target) {
        auto& transfer = *static_cast<Transfer*>(target);
        if (transfer.file) return std::fwrite(data, size, count, transfer.file);
        if (transfer.body.empty()) {
            // Room for the announced length at once, as the client makes it.
            curl_off_t length = -1;
            curl_easy_getinfo(transfer.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (length > 0) transfer.body.reserve(static_cast<std::size_t>(length) + 64);
        }
        transfer.body.append(data, size * count);
        return size * count;
    }

    double run(const std::vector<std::string>& urls, std::vector<Transfer>& transfers) {
        auto start = std::chrono::steady_clock::now();
        std::vector<CURL*> handles;
        for (std::size_t i = 0; i < urls.size(); ++i) {
            CURL* handle = curl_easy_init();
            transfers[i].handle = handle;
            curl_easy_setopt(handle, CURLOPT_URL, urls[i].c_str());
            curl_easy_setopt(handle, CURLOPT_CONNECT_TO, routes_);
            curl_easy_setopt(handle, CURLOPT_CAINFO, authorities_.c_str());
            curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
            curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlReference::receive);
            curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfers[i]);
            curl_multi_add_handle(multi_, handle);
            handles.push_back(handle);
        }
        // Like the client, a transfer that fails on a kept connection the service has closed is
        // sent once more on a new one; libcurl alone would report it failed.
        std::vector<bool> retried(handles.size(), false);
        bool failed = false;
        int running = 1;
        while (running) {
            curl_multi_perform(multi_, &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
                if (message->msg != CURLMSG_DONE || message->data.result == CURLE_OK) continue;
                auto index = std::find(handles.begin(), handles.end(), message->easy_handle) - handles.begin();
                bool connectionLost = message->data.result == CURLE_SEND_ERROR ||
                                      message->data.result == CURLE_RECV_ERROR || message->data.result == CURLE_GOT_NOTHING;
                auto& transfer = transfers[index];
                bool nothingReceived = transfer.body.empty() && (!transfer.file || std::ftell(transfer.file) == 0);
                if (connectionLost && nothingReceived && !retried[index]) {
                    retried[index] = true;
                    curl_multi_remove_handle(multi_, message->easy_handle);
                    curl_easy_setopt(message->easy_handle, CURLOPT_FRESH_CONNECT, 1L);
                    curl_multi_add_handle(multi_, message->easy_handle);
                    running = 1;
                } else {
                    failed = true;
                }
            }
            if (running) curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        }
        for (std::size_t i = 0; i < handles.size(); ++i) {
            curl_multi_remove_handle(multi_, handles[i]);
            curl_easy_cleanup(handles[i]);
            if (transfers[i].file) std::fclose(transfers[i].file);
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return failed ? -seconds : seconds;
    }

    std::filesystem::path authorities_;
    curl_slist* routes_ = nullptr;
    CURLM* multi_ = nullptr;
};

}  // namespace tq::bench
