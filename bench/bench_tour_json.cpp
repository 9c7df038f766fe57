// Reading and writing catalogue replies of 500, 5,000 and 50,000 tours, next to simdjson's bare
// parse of the same bytes in the same run.
//
// BM_DecodeToursReply: rounds alternate one decode and one bare parse (simdjson's DOM parser,
// kept between rounds as any program would keep it). The decode's time includes freeing the
// previous round's reply, as a screen that replaces its list pays for it; the bare parse frees
// nothing. "x_bare_parse" is the median decode over the median parse, "ns_per_byte" the median
// decode per byte of reply. Targets: at most 2.5 at 5,000 tours, and ns_per_byte at 50,000 within
// 1.5 of the figure at 5,000.
// BM_DecodePeakMemory: the growth of the peak resident memory while one reply is decoded and
// held, over the size of the reply ("x_reply"), for rich and for sparse tours. Target: at most 2.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "model/Json.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class CatalogueGenerator {
public:
    explicit CatalogueGenerator(int tours) : tourCount_(tours) {}

    std::string reply() {
        std::string json = R"({"status":"success","results":[)";
        for (int i = 0; i < tourCount_; ++i) {
            if (i > 0) json += ',';
            appendTour(json, i);
        }
        return json + "]}";
    }

private:
    std::string word() {
        static const char* words[] = {"vieux", "quartier", "rivière", "cathédrale", "traboule", "musée", "jardin",
                                      "pont", "colline", "marché", "Saône", "basilique", "historique", "balade"};
        return words[pick(std::size(words))];
    }
    std::string words(std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) text += ' ';
            text += word();
        }
        return text;
    }
    std::string digits(int low, int high) { return std::to_string(low + static_cast<int>(pick(high - low + 1))); }
    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    void text(std::string& json, const char* key, const std::string& value) {
        json += '"';
        json += key;
        json += "\":\"";
        json += value;
        json += "\",";
    }

    void appendTour(std::string& json, int index) {
        const std::string id = std::to_string(1000 + index);
        json += '{';
        text(json, "contenu_cache", "0");
        text(json, "ask_for_donation", "0");
        text(json, "circuit_id", id);
        text(json, "circuit_imagepath", "circuits\\/" + id + "\\/main_" + digits(1000, 9999) + ".jpg");
        json += R"("city":{"country_iso":"FR","state_iso":"84","region_id":")" + digits(1, 99) +
                R"(","place_code":")" + digits(10000, 99999) + R"(","name":"Lyon","url":"https:\/\/www.example.test\/lyon","lang":"fr","country_name":"France","state_name":"Auvergne-Rhône-Alpes","city_name_fr":"Lyon","city_name_en":"Lyons"},)";
        text(json, "city_country_iso", "FR");
        text(json, "city_country_name", "France");
        text(json, "city_lang", "fr");
        text(json, "city_name", "Lyon");
        text(json, "city_name_en", "Lyons");
        text(json, "city_name_es", "Lyon");
        text(json, "city_name_fr", "Lyon");
        text(json, "city_place_code", digits(10000, 99999));
        text(json, "city_region_id", digits(1, 99));
        text(json, "city_state_iso", "84");
        text(json, "city_url", "https:\\/\\/www.example.test\\/lyon");
        text(json, "country_nom_fr", "France");
        text(json, "country_nom_en", "France");
        text(json, "country_nom_es", "Francia");
        text(json, "content_type", "circuit");
        text(json, "deletion_required", "0");
        text(json, "description", "<p>" + words(60 + pick(120)) + "<\\/p><p>" + words(20 + pick(60)) + "<\\/p>");
        text(json, "duration_foot", digits(30, 240));
        text(json, "duration_bike", digits(10, 90));
        text(json, "first_posted", "2021-0" + digits(1, 9) + "-1" + digits(0, 9) + " 10:2" + digits(0, 9) + ":00");
        text(json, "is_linked", "0");
        text(json, "is_uptodate", "1");
        text(json, "language", index % 3 == 0 ? "en" : "fr");
        text(json, "length", digits(1, 20) + "." + digits(0, 9));
        text(json, "max_zoom", "18");
        text(json, "min_zoom", "13");
        text(json, "moderation_date", "2023-1" + digits(0, 2) + "-0" + digits(1, 9) + " 08:00:00");
        json += R"("modes":["foot","bike"],)";
        text(json, "owner_id", digits(1, 900));
        text(json, "poi_count", digits(4, 40));
        json += "\"rating\":" + digits(1, 4) + "." + digits(0, 9) + ',';
        text(json, "rating_total_counter", digits(0, 300));
        text(json, "rating_total_score", digits(0, 1500));
        text(json, "size", digits(5, 400) + "." + digits(0, 99));
        text(json, "slug", "balade-" + id + "-vieux-lyon");
        text(json, "style", "1");
        text(json, "title", words(3 + pick(5)));
        text(json, "type_transport", "foot");
        text(json, "price", "0");
        json += R"("filter":[{"filter_id":"3","parent_id":"0","filter_name_en":"Heritage","filter_name_fr":"Patrimoine","filter_order":"1"},{"filter_id":"8","parent_id":"3","filter_name_en":"Churches","filter_name_fr":"Églises","filter_order":"4"}],)";
        json += R"("inter":[],)";
        text(json, "is_featured", index % 17 == 0 ? "1" : "0");
        text(json, "is_circuit_head", index % 50 == 0 ? "1" : "0");
        text(json, "use_custom_map", "0");
        text(json, "org_id", digits(1, 80));
        text(json, "org_name", "Office de tourisme " + word());
        text(json, "state_name_fr", "Auvergne-Rhône-Alpes");
        text(json, "state_name_en", "Auvergne-Rhône-Alpes");
        text(json, "state_name_es", "Auvernia-Ródano-Alpes");
        text(json, "circuitOrder", std::to_string(index));
        text(json, "circuitOrderEn", std::to_string(tourCount_ - index));
        text(json, "circuitOrderEs", std::to_string(index / 2));
        text(json, "id_circuit_fr", id);
        text(json, "id_circuit_en", index % 3 == 0 ? std::to_string(20000 + index) : "0");
        text(json, "id_circuit_es", "0");
        json += R"("id_circuit_de":null,"id_circuit_it":"0",)";
        text(json, "urlVideoIntro", index % 5 == 0 ? "https:\\/\\/video.example.test\\/" + id + ".mp4" : "");
        json.back() = '}';
    }

    int tourCount_;
    std::mt19937 random_{20240601};
};

const std::string& catalogueReply(int tours) {
    static std::map<int, std::string> replies;
    auto& reply = replies[tours];
    if (reply.empty()) reply = CatalogueGenerator(tours).reply();
    return reply;
}

// Tours that hold only what a list needs: most of a record's fields are absent.
std::string sparseReply(int tours) {
    std::string json = R"({"status":"success","results":[)";
    for (int i = 0; i < tours; ++i) {
        if (i > 0) json += ',';
        json += R"({"circuit_id":")" + std::to_string(1000 + i) + R"(","title":"Balade )" + std::to_string(i) +
                R"(","language":"fr"})";
    }
    return json + "]}";
}

void BM_DecodeToursReply(benchmark::State& state) {
    const int tours = static_cast<int>(state.range(0));
    const std::string& bytes = catalogueReply(tours);
    const simdjson::padded_string padded(bytes);
    simdjson::dom::parser parser;
    std::vector<double> decode, parse;
    std::optional<tq::JsonResult<tq::ApiTour>> previous;
    for (auto _ : state) {
        auto start = Clock::now();
        previous.reset();
        previous = tq::decodeToursReply(bytes);
        decode.push_back(secondsSince(start));
        if (!*previous || (*previous)->results.size() != static_cast<std::size_t>(tours)) state.SkipWithError("decoding failed");

        start = Clock::now();
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
        parse.push_back(secondsSince(start));
        state.SetIterationTime(decode.back());
    }
    state.counters["x_bare_parse"] = median(decode) / median(parse);
    state.counters["ns_per_byte"] = median(decode) * 1e9 / static_cast<double>(bytes.size());
    state.counters["reply_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeToursReply)->Arg(500)->Iterations(201)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToursReply)->Arg(5000)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToursReply)->Arg(50000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    }
    return 0;
}

void BM_DecodePeakMemory(benchmark::State& state) {
    const bool sparse = state.range(0) == 1;
    const std::string bytes = sparse ? sparseReply(200000) : catalogueReply(50000);
    double growth = 0;
    for (auto _ : state) {
        // Start the high-water mark afresh from what the process holds now.
        std::ofstream("/proc/self/clear_refs") << "5";
        long before = statusKilobytes("VmRSS:");
        auto reply = tq::decodeToursReply(bytes);
        if (!reply) state.SkipWithError("decoding failed");
        growth = std::max(growth, (statusKilobytes("VmHWM:") - before) * 1024.0);
        benchmark::DoNotOptimize(reply);
    }
    state.SetLabel(sparse ? "sparse tours" : "rich tours");
    state.counters["x_reply"] = growth / static_cast<double>(bytes.size());
    state.counters["reply_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_DecodePeakMemory)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_EncodeTours(benchmark::State& state) {
    auto reply = tq::decodeToursReply(catalogueReply(5000));
    if (!reply) {
        state.SkipWithError("decoding failed");
        return;
    }
    std::size_t written = 0;
    for (auto _ : state) {
        for (const auto& tour : reply->results) {
            auto text = tq::encodeTour(*tour);
            written += text->size();
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}
BENCHMARK(BM_EncodeTours)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
