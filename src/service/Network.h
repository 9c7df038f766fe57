#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Json.h"
#include "model/PoiContent.h"
#include "model/PointOfInterest.h"
#include "model/Regions.h"
#include "model/Replies.h"
#include "model/Tour.h"
#include "platform/net/FormEncoder.h"
#include "platform/net/HttpTypes.h"
#include "platform/net/PercentEncoding.h"

namespace tq {

class Console;
class Environment;
class HttpClient;

// The application's only client of the product's web service.
//
// Every operation sends one request and returns at once. Its completion runs later, on the main
// loop, at most once, after the reply has been handled and the fields below written; callers read
// the results from those fields. Several requests may be in flight; none cancels another, so when
// two fill the same list the reply that arrives last decides its content.
//
// As a rule a failed request (transport, a status outside 200 to 299, an empty body, a body that
// does not decode) writes one console line and reports failure: false, 0 or empty text.
class Network {
public:
    using Completion = std::function<void(bool success)>;
    using TextCompletion = std::function<void(const std::string& json)>;
    using BytesCompletion = std::function<void(const std::string& bytes)>;
    // 1 rated, 2 already rated, 0 otherwise.
    using RatingCompletion = std::function<void(int code)>;

    explicit Network(Environment& env);
    ~Network();
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    static Network& shared();

    // Constants of the service.
    const HttpHeaders headers;     // "api-version: 1.1", sent with every GET
    const std::string apiUrl;      // "https://<French site>/public/webservice/"
    const std::string noCallBack;  // "?callback=no", the end of every GET address
    // The update check's own address on the English-language site (POST, no suffix, no headers).
    const std::string updateCheckUrl;

    // The public map-tile template handed to the map pages.
    std::string leafletLink;
    // The search languages: fr, en, es.
    std::vector<Language> languages;

    std::vector<TourRef> catalogue;            // getSimpleCatalogue
    std::vector<TourRef> networkCatalogue;     // getNetworkCatalogue
    std::vector<TourRef> searchCatalogue;      // getToursNearby, searchByProximity, getToursByRegion, keyword searches
    std::vector<TourRef> searchCatalogueCity;  // searchByKeywordsCity
    std::vector<TourRef> localCatalogue;       // the stored tours, written by the catalogue database
    std::vector<Country> countries;
    std::vector<State> states;
    std::vector<City> cities;                  // getCitiesOfCountry and getCitiesOfState
    std::vector<TourRef> subTours;             // filled by no operation
    std::optional<std::string> lastNetworkId;  // set by the tour screen for the organisation list
    std::vector<PoiMap> worldMapPois;
    TourRef currentTour;  // null when there is none
    TourRef updateTour;   // null when there is none
    std::optional<std::vector<PointOfInterestRef>> poiAround;

    // Marks a stored tour as having an update. The catalogue database sits above this library and
    // installs it when it is created; until then an update-check reply marks nothing.
    std::function<void(const std::string& tourId)> markTourNeedsUpdate;

    // Tours and catalogues.
    void loadCurrentTour(const std::string& tourId, Completion completion);
    void loadUpdateTour(const std::string& tourId, Completion completion);
    // The whole full-tour reply as received, or empty text on any failure.
    void getFullCircuitJson(const std::string& tourId, TextCompletion completion);
    void getSimpleCatalogue(Completion completion);
    // A network's sub-tours when `forNetwork`, else an organisation's catalogue.
    void getNetworkCatalogue(const std::string& id, bool forNetwork, Completion completion);
    // False also for a successful reply without tours.
    void getToursNearby(const std::string& latitude, const std::string& longitude, Completion completion);
    void getToursNearby(double latitude, double longitude, Completion completion);
    void getPoiAround(const std::string& language, const std::string& latitude, const std::string& longitude,
                      const std::string& tourId, Completion completion);
    // GET of a complete address. The completion runs only when bytes arrived; after a failure it
    // is never called.
    void downloadData(const std::string& address, BytesCompletion completion);

    // Regions and the world map.
    void getCountries(Completion completion);
    void getStates(const std::string& country, Completion completion);
    void getCitiesOfCountry(const std::string& country, Completion completion);
    void getCitiesOfState(const std::string& country, const std::string& state, Completion completion);
    void getWorldMapPois(Completion completion);

    // Searches. Coordinates given as text and keywords (already escaped by the search screen) go
    // into the address as they are.
    void searchByProximity(const std::string& latitude, const std::string& longitude, const std::string& scope,
                           Completion completion);
    void searchByProximity(double latitude, double longitude, const std::string& scope, Completion completion);
    void getToursByRegion(const std::string& code, RegionType level, std::int64_t number, Completion completion);
    void searchByKeywordsCity(const std::string& keyword, const std::string& language, Completion completion);
    void searchByKeywordsExact(const std::string& keyword, const std::string& language, Completion completion);
    void searchByKeywordsTitleDescription(const std::string& keyword, const std::string& language,
                                          Completion completion);

    // Rating: no completion at all for a reply whose status is neither "success" nor "error".
    void setRating(const std::string& tourId, const std::string& rating, const std::string& deviceId,
                   RatingCompletion completion);

    // Asks whether a newer version of one stored tour exists; a positive answer goes to
    // markTourNeedsUpdate. The completion runs only on failure, with false.
    void checkToursUpdates(const Tour& tour, Completion completion);

    // The rating rule over a list of tours (see rateTour).
    static void computeTourRatings(const std::vector<TourRef>& tours);

private:
    enum class SearchListing { city, excludingCityMatches };

    std::string address(const std::string& path) const { return apiUrl + path + noCallBack; }
    void printAddress(const std::string& address);
    void getFullCircuit(const std::string& tourId, Completion completion, TourRef Network::*destination);
    void searchByKeywords(const std::string& keyword, const std::string& language, Completion completion,
                          const std::string& path, SearchListing listing, bool print);
    void fetchToursInto(const std::string& address, std::vector<TourRef> Network::*list, Completion completion);
    void fetchSearch(const std::string& address, Completion completion);
    template <class Reply, class List>
    void fetchList(const std::string& address, List Network::*list, Completion completion);
    void sendGet(const std::string& address, std::function<void(HttpResponse& response)> handler);
    // Prints a failed request or an empty body; true when there is nothing to read.
    bool reportFailure(const HttpResponse& response);
    // The reply record, or nothing after printing why there is none.
    template <class Reply>
    std::optional<Reply> decodeReply(const HttpResponse& response);
    // The same for a reply of tours, each rated (rateTour) as it is read.
    std::optional<ApiTour> decodeRatedTours(const HttpResponse& response);
    template <class Reply>
    std::optional<Reply> decoded(JsonResult<Reply> result);
    // The common frame: failures are printed and handed to onFailure; a decoded reply to onReply.
    template <class Reply>
    void fetchReply(const std::string& address, std::function<void()> onFailure,
                    std::function<void(Reply& reply)> onReply);
    // The common frame for the lists of tours the screens show with their ratings.
    void fetchRatedTours(const std::string& address, std::function<void()> onFailure,
                         std::function<void(ApiTour& reply)> onReply);
    template <class Reply>
    void fetchDecoded(const std::string& address, std::optional<Reply> (Network::*decode)(const HttpResponse&),
                      std::function<void()> onFailure, std::function<void(Reply& reply)> onReply);
    void handleUpdateCheckReply(const HttpResponse& response, const Completion& completion);

    Environment& env_;
    Console& console_;
    HttpClient& http_;
    std::shared_ptr<bool> alive_;
};

// A tour's displayed rating: 1.0 for a network head (`is_circuit_head` exactly "1"), otherwise
// `rating_total_score` over `rating_total_counter` (a counter of 0 counts as 1). Whatever rating
// the tour carried is replaced; a tour whose texts do not read as numbers, or whose quotient is not
// finite, is left without a rating.
void rateTour(Tour& tour);

// Puts points or contents in ascending order of their whole-number order, keeping the order of
// equal ones; those without a usable order go last, in the order they came.
void sortPointsByOrder(std::vector<PointOfInterestRef>& points);
void sortContentsByOrder(std::vector<PoiContentRef>& contents);

// The update-check request of one tour as form fields: tours[][date] and tours[][id].
FormObject updateCheckForm(const UpdatePost& post);

}  // namespace tq
