#include "service/Network.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "product/ProductSites.h"
#include "model/Json.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/net/HttpClient.h"

namespace tq {
namespace {

std::vector<Language> searchLanguages() {
    return {
        {"fr", "French", "Français", "Francés"},
        {"en", "English", "Anglais", "Inglés"},
        {"es", "Spanish", "Espagnol", "Español"},
    };
}

const char* regionPath(RegionType level) {
    switch (level) {
        case RegionType::country: return "getToursByCountry";
        case RegionType::state: return "getToursByState";
        case RegionType::city: return "getToursByCity";
    }
    return "getToursByCountry";
}

// Null elements cannot come out of the reader, but the lists are public and a caller may put one
// there; they are skipped rather than dereferenced.
template <class Ref>
void stableSortByOrder(std::vector<Ref>& items) {
    std::stable_sort(items.begin(), items.end(), [](const Ref& a, const Ref& b) {
        auto orderA = a ? a->order() : std::nullopt;
        auto orderB = b ? b->order() : std::nullopt;
        if (!orderA) return false;  // unordered items never move ahead of anything
        if (!orderB) return true;
        return *orderA < *orderB;
    });
}

// The tours of `found` less every tour whose circuit_id a tour of `already` has (two tours
// without one count as the same).
std::vector<TourRef> withoutToursOf(std::vector<TourRef> found, const std::vector<TourRef>& already) {
    for (const auto& known : already) {
        if (!known) continue;
        std::erase_if(found, [&](const TourRef& tour) { return tour && tour->circuit_id == known->circuit_id; });
    }
    return found;
}

std::string updateResultsText(const std::vector<TourIDUpdateResult>& results) {
    std::string text = "[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i) text += ", ";
        text += results[i].id ? "\"" + *results[i].id + "\"" : std::string("none");
    }
    return text + "]";
}

}  // namespace

Network::Network(Environment& env)
    : headers{{"api-version", "1.1"}},
      apiUrl(std::string("https://") + ProductSites::french + "/public/webservice/"),
      noCallBack("?callback=no"),
      updateCheckUrl(std::string("https://") + ProductSites::english + "/public/webservice/isUpdatesAvailableIos"),
      leafletLink("https://{s}.tile.openstreetmap.org/{z}/{x}/{y}.png"),
      languages(searchLanguages()),
      env_(env),
      console_(env.console()),
      http_(env.shared<HttpClient>()),
      alive_(std::make_shared<bool>(true)) {}

Network::~Network() { *alive_ = false; }

Network& Network::shared() { return Environment::current().shared<Network>(); }

void Network::printAddress(const std::string& address) { console_.log(address); }

// ---------------------------------------------------------------------------------------------
// The common frame

void Network::sendGet(const std::string& address, std::function<void(HttpResponse& response)> handler) {
    http_.get(address, headers, [alive = alive_, handler = std::move(handler)](HttpResponse response) {
        if (*alive) handler(response);
    });
}

bool Network::reportFailure(const HttpResponse& response) {
    if (response.error) {
        console_.log(response.error->description);
        return true;
    }
    if (response.body.empty()) {
        console_.log("No Data");
        return true;
    }
    return false;
}

template <class Reply>
std::optional<Reply> Network::decoded(JsonResult<Reply> result) {
    if (!result) {
        console_.log(result.error());
        return std::nullopt;
    }
    return std::move(*result);
}

template <class Reply>
std::optional<Reply> Network::decodeReply(const HttpResponse& response) {
    if (reportFailure(response)) return std::nullopt;
    return decoded(decodeJson<Reply>(response.body));
}

std::optional<ApiTour> Network::decodeRatedTours(const HttpResponse& response) {
    if (reportFailure(response)) return std::nullopt;
    // Rated while each tour is read: a second walk over a large catalogue would fetch every tour
    // from memory again.
    return decoded(decodeToursReply(response.body, rateTour));
}

template <class Reply>
void Network::fetchDecoded(const std::string& address, std::optional<Reply> (Network::*decode)(const HttpResponse&),
                           std::function<void()> onFailure, std::function<void(Reply& reply)> onReply) {
    sendGet(address, [this, decode, onFailure = std::move(onFailure),
                      onReply = std::move(onReply)](HttpResponse& response) {
        auto reply = (this->*decode)(response);
        if (reply) {
            onReply(*reply);
        } else if (onFailure) {
            onFailure();
        }
    });
}

template <class Reply>
void Network::fetchReply(const std::string& address, std::function<void()> onFailure,
                         std::function<void(Reply& reply)> onReply) {
    fetchDecoded<Reply>(address, &Network::decodeReply<Reply>, std::move(onFailure), std::move(onReply));
}

void Network::fetchRatedTours(const std::string& address, std::function<void()> onFailure,
                              std::function<void(ApiTour& reply)> onReply) {
    fetchDecoded<ApiTour>(address, &Network::decodeRatedTours, std::move(onFailure), std::move(onReply));
}

namespace {
// A completion that may be empty: callers that need no answer pass none.
void report(const Network::Completion& completion, bool success) {
    if (completion) completion(success);
}
}  // namespace

template <class Reply, class List>
void Network::fetchList(const std::string& address, List Network::*list, Completion completion) {
    fetchReply<Reply>(
        address, [completion] { report(completion, false); },
        [this, list, completion](Reply& reply) {
            if (reply.succeeded()) this->*list = std::move(reply.results);
            report(completion, reply.succeeded());
        });
}

void Network::fetchToursInto(const std::string& address, std::vector<TourRef> Network::*list,
                             Completion completion) {
    fetchRatedTours(
        address, [completion] { report(completion, false); },
        [this, list, completion](ApiTour& reply) {
            if (reply.succeeded()) this->*list = std::move(reply.results);
            report(completion, reply.succeeded());
        });
}

// The proximity and region searches: the list is emptied as soon as a reply has been read, so an
// answer other than "success" leaves no stale results behind.
void Network::fetchSearch(const std::string& address, Completion completion) {
    fetchRatedTours(
        address, [completion] { report(completion, false); },
        [this, completion](ApiTour& reply) {
            searchCatalogue.clear();
            if (reply.succeeded()) searchCatalogue = std::move(reply.results);
            report(completion, reply.succeeded());
        });
}

// ---------------------------------------------------------------------------------------------
// Tours and catalogues

void Network::loadCurrentTour(const std::string& tourId, Completion completion) {
    getFullCircuit(tourId, std::move(completion), &Network::currentTour);
}

void Network::loadUpdateTour(const std::string& tourId, Completion completion) {
    getFullCircuit(tourId, std::move(completion), &Network::updateTour);
}

void Network::getFullCircuit(const std::string& tourId, Completion completion, TourRef Network::*destination) {
    fetchReply<ApiTour>(
        address("getFullCircuit/" + pathSegment(tourId)), [completion] { report(completion, false); },
        [this, destination, completion](ApiTour& reply) {
            if (!reply.succeeded()) return report(completion, false);
            TourRef tour = reply.results.empty() ? nullptr : reply.results.front();
            if (tour && tour->poi) sortPointsByOrder(*tour->poi);
            this->*destination = std::move(tour);
            report(completion, true);
        });
}

void Network::getFullCircuitJson(const std::string& tourId, TextCompletion completion) {
    auto deliver = [completion](const std::string& text) {
        if (completion) completion(text);
    };
    if (tourId.empty()) {
        // No tour to ask for: answer as for any failure, and still never from inside the call.
        env_.loop().post([alive = alive_, deliver] {
            if (*alive) deliver("");
        });
        return;
    }
    sendGet(address("getFullCircuit/" + pathSegment(tourId)), [this, deliver](HttpResponse& response) {
        // The reader rejects invalid UTF-8, so a text handed on is always the bytes as received.
        auto reply = decodeReply<ApiTour>(response);
        deliver(reply && reply->succeeded() ? response.body : std::string());
    });
}

void Network::getSimpleCatalogue(Completion completion) {
    fetchToursInto(address("getSimpleListCatalogV2/newApi/"), &Network::catalogue, std::move(completion));
}

void Network::getNetworkCatalogue(const std::string& id, bool forNetwork, Completion completion) {
    const char* path = forNetwork ? "getCircuitSubcircuits/" : "getOrganizationCatalog/";
    fetchToursInto(address(path + pathSegment(id)), &Network::networkCatalogue, std::move(completion));
}

void Network::getToursNearby(const std::string& latitude, const std::string& longitude, Completion completion) {
    fetchRatedTours(
        address("getToursNearby/" + latitude + "/" + longitude + "/all/25/newApi/"),
        [completion] { report(completion, false); },
        [this, completion](ApiTour& reply) {
            searchCatalogue.clear();
            // Nothing near is no answer for the screens that ask: they fall back on their message.
            if (!reply.succeeded() || reply.results.empty()) return report(completion, false);
            searchCatalogue = std::move(reply.results);
            report(completion, true);
        });
}

void Network::getToursNearby(double latitude, double longitude, Completion completion) {
    getToursNearby(coordinateText(latitude), coordinateText(longitude), std::move(completion));
}

void Network::getPoiAround(const std::string& language, const std::string& latitude, const std::string& longitude,
                           const std::string& tourId, Completion completion) {
    fetchReply<ApiPoiAround>(
        address("getPoiAroundIOS/" + pathSegment(language) + "/" + latitude + "/" + longitude + "/" +
                pathSegment(tourId)),
        [completion] { report(completion, false); },
        [this, completion](ApiPoiAround& reply) {
            if (!reply.succeeded()) return report(completion, false);
            for (const auto& point : reply.results) {
                // A point without a content list is kept, with no contents to show.
                if (!point || !point->content) continue;
                for (const auto& content : *point->content) {
                    if (content) content->parseMetadata(console_);
                }
                sortContentsByOrder(*point->content);
            }
            poiAround = std::move(reply.results);
            report(completion, true);
        });
}

void Network::downloadData(const std::string& address, BytesCompletion completion) {
    sendGet(address, [this, completion](HttpResponse& response) {
        if (reportFailure(response)) return;
        if (completion) completion(response.body);
    });
}

// ---------------------------------------------------------------------------------------------
// Regions and the world map

void Network::getCountries(Completion completion) {
    auto url = address("getCountryWhereToursIOS/");
    printAddress(url);
    fetchList<ApiCountry>(url, &Network::countries, std::move(completion));
}

void Network::getStates(const std::string& country, Completion completion) {
    fetchList<ApiState>(address("getStateWhereToursIOS/" + pathSegment(country)), &Network::states,
                        std::move(completion));
}

void Network::getCitiesOfCountry(const std::string& country, Completion completion) {
    auto url = address("getCityWhereToursIOS/" + pathSegment(country));
    printAddress(url);
    fetchList<ApiCity>(url, &Network::cities, std::move(completion));
}

void Network::getCitiesOfState(const std::string& country, const std::string& state, Completion completion) {
    auto url = address("getCityWhereToursIOS/" + pathSegment(country) + "/" + pathSegment(state));
    printAddress(url);
    fetchList<ApiCity>(url, &Network::cities, std::move(completion));
}

void Network::getWorldMapPois(Completion completion) {
    fetchList<ApiWorldMap>(address("getWorldMapPois/newApi/"), &Network::worldMapPois, std::move(completion));
}

// ---------------------------------------------------------------------------------------------
// Searches

void Network::searchByProximity(const std::string& latitude, const std::string& longitude, const std::string& scope,
                                Completion completion) {
    fetchSearch(address("searchByProximity/" + latitude + "/" + longitude + "/" + scope + "/"), std::move(completion));
}

void Network::searchByProximity(double latitude, double longitude, const std::string& scope, Completion completion) {
    searchByProximity(coordinateText(latitude), coordinateText(longitude), scope, std::move(completion));
}

void Network::getToursByRegion(const std::string& code, RegionType level, std::int64_t number,
                               Completion completion) {
    auto url = address(std::string(regionPath(level)) + "/" + pathSegment(code) + "/" + std::to_string(number) + "/");
    printAddress(url);
    fetchSearch(url, std::move(completion));
}

void Network::searchByKeywordsCity(const std::string& keyword, const std::string& language, Completion completion) {
    searchByKeywords(keyword, language, std::move(completion), "searchCircuitByKeywordsCity/", SearchListing::city,
                     false);
}

void Network::searchByKeywordsExact(const std::string& keyword, const std::string& language, Completion completion) {
    searchByKeywords(keyword, language, std::move(completion), "searchCircuitByKeywords/exact/",
                     SearchListing::excludingCityMatches, true);
}

void Network::searchByKeywordsTitleDescription(const std::string& keyword, const std::string& language,
                                               Completion completion) {
    searchByKeywords(keyword, language, std::move(completion), "searchCircuitByKeywords/title_description/",
                     SearchListing::excludingCityMatches, false);
}

void Network::searchByKeywords(const std::string& keyword, const std::string& language, Completion completion,
                               const std::string& path, SearchListing listing, bool print) {
    auto url = address(path + keyword + "/" + pathSegment(language));
    if (print) printAddress(url);
    fetchRatedTours(
        url, [completion] { report(completion, false); },
        [this, listing, completion](ApiTour& reply) {
            auto& list = listing == SearchListing::city ? searchCatalogueCity : searchCatalogue;
            list.clear();
            if (!reply.succeeded()) return report(completion, false);
            list = listing == SearchListing::city ? std::move(reply.results)
                                                  : withoutToursOf(std::move(reply.results), searchCatalogueCity);
            report(completion, true);
        });
}

// ---------------------------------------------------------------------------------------------
// Rating

void Network::setRating(const std::string& tourId, const std::string& rating, const std::string& deviceId,
                        RatingCompletion completion) {
    auto answer = [completion](int code) {
        if (completion) completion(code);
    };
    fetchReply<ApiRating>(
        address("setRating/" + pathSegment(tourId) + "/" + rating + "/" + pathSegment(deviceId)),
        [answer] { answer(0); },
        [tourId, answer](ApiRating& reply) {
            if (reply.status == "success") return answer(1);
            if (reply.status != "error") return;  // an answer the screen has no message for
            bool alreadyRated = !reply.results.empty() && reply.results.front().circuit_id == tourId;
            answer(alreadyRated ? 2 : 0);
        });
}

// ---------------------------------------------------------------------------------------------
// Update check

FormObject updateCheckForm(const UpdatePost& post) {
    FormValue::List tours;
    for (const auto& tour : post.tours) {
        if (!tour) continue;
        tours.emplace_back(FormObject{{"id", tour->id}, {"date", tour->date}});
    }
    return FormObject{{"tours", std::move(tours)}};
}

void Network::checkToursUpdates(const Tour& tour, Completion completion) {
    if (!tour.circuit_id || !tour.moderation_date) {
        // Without both the service cannot compare versions; the check of this tour has failed.
        console_.log("Update check skipped: tour " + tour.circuit_id.value_or("without circuit_id") +
                     (tour.moderation_date ? "" : " has no moderation_date"));
        env_.loop().post([alive = alive_, completion] {
            if (*alive) report(completion, false);
        });
        return;
    }
    UpdatePost post;
    post.tours.push_back(TourUpdatePost{*tour.circuit_id, *tour.moderation_date});
    http_.postForm(updateCheckUrl, updateCheckForm(post), kFormContentType, {},
                   [this, alive = alive_, completion](HttpResponse response) {
                       if (*alive) handleUpdateCheckReply(response, completion);
                   });
}

void Network::handleUpdateCheckReply(const HttpResponse& response, const Completion& completion) {
    if (response.error) {
        console_.log("Update check reply: failure, " + response.error->description);
        console_.log("error " + response.error->description);
        return report(completion, false);
    }
    console_.log("Update check reply: success, " + std::to_string(response.body.size()) + " bytes");
    if (response.body.empty()) {
        console_.log("No Data");
        return report(completion, false);
    }
    // From here on the completion stays silent: it reports failed requests only.
    auto list = decodeJson<UpdateTourList>(response.body);
    if (list) {
        if (!list->succeeded()) return;
        console_.log(updateResultsText(list->results));
        if (list->results.empty()) return;
        // The service names at most one tour per request; only the first entry counts.
        auto id = list->results.front().id.value_or("0");
        if (markTourNeedsUpdate) markTourNeedsUpdate(id);
        return;
    }
    console_.log(list.error());
    auto errorReply = decodeJson<UpdateTourListError>(response.body);
    if (!errorReply) {
        console_.log("¡222 " + errorReply.error());
    } else if (!errorReply->succeeded()) {
        console_.log("test");
    }
}

// ---------------------------------------------------------------------------------------------
// Rating rule, ordering, address segments

void rateTour(Tour& tour) {
    if (tour.is_circuit_head == "1") {
        tour.rating = 1.0;
        return;
    }
    tour.rating.reset();
    if (!tour.rating_total_score || !tour.rating_total_counter) return;
    // Read where the texts lie: a catalogue rates every tour it receives.
    auto score = parseDouble(tour.rating_total_score.view());
    auto counter = parseDouble(tour.rating_total_counter.view());
    if (!score || !counter) return;
    double rating = *score / (*counter == 0 ? 1.0 : *counter);
    // A quotient beyond the double range would be stored as infinity, which no JSON can carry.
    if (std::isfinite(rating)) tour.rating = rating;
}

void Network::computeTourRatings(const std::vector<TourRef>& tours) {
    for (const auto& tour : tours) {
        if (tour) rateTour(*tour);
    }
}

void sortPointsByOrder(std::vector<PointOfInterestRef>& points) { stableSortByOrder(points); }

void sortContentsByOrder(std::vector<PoiContentRef>& contents) { stableSortByOrder(contents); }

}  // namespace tq
