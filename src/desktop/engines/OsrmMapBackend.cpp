#include "desktop/engines/OsrmMapBackend.h"

#include <nlohmann/json.hpp>

#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/net/HttpClient.h"

namespace tq::desktop {

OsrmMapBackend::OsrmMapBackend(Environment& env, std::string serviceAddress) : env_(env), base_(std::move(serviceAddress)) {
    while (!base_.empty() && base_.back() == '/') base_.pop_back();
}

std::optional<std::string> OsrmMapBackend::addressFor(const DirectionsRequest& request) const {
    if (!request.source || !request.destination) return std::nullopt;
    const char* profile = request.transportType == DirectionsTransportType::walking ? "foot" : "driving";
    auto point = [](const MapItem& item) {
        return coordinateText(item.coordinate.longitude) + "," + coordinateText(item.coordinate.latitude);
    };
    return base_ + "/route/v1/" + profile + "/" + point(*request.source) + ";" + point(*request.destination) +
           "?overview=full&geometries=geojson&alternatives=" + (request.requestsAlternateRoutes ? "true" : "false");
}

void OsrmMapBackend::calculateDirections(const DirectionsRequest& request, std::function<void(DirectionsOutcome)> reply) {
    auto address = addressFor(request);
    if (!address) {
        reply(DirectionsOutcome{{}, DirectionsError{"a route needs a source and a destination"}});
        return;
    }
    env_.shared<HttpClient>().get(*address, {}, [reply = std::move(reply)](HttpResponse response) {
        validateStatus(response);
        if (!response.succeeded()) {
            reply(DirectionsOutcome{{}, DirectionsError{"the routing service did not answer: " + response.error->description}});
            return;
        }
        reply(readOsrmReply(response.body));
    });
}

DirectionsOutcome readOsrmReply(const std::string& body) {
    auto fault = [](const std::string& what) { return DirectionsOutcome{{}, DirectionsError{"routing reply: " + what}}; };
    auto json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object()) return fault("not a JSON object");
    auto code = json.find("code");
    if (code == json.end() || !code->is_string()) return fault("no code");
    if (*code != "Ok") return fault("code " + code->get<std::string>());
    auto routes = json.find("routes");
    if (routes == json.end() || !routes->is_array()) return fault("no routes");
    DirectionsOutcome outcome;
    for (const auto& route : *routes) {
        if (!route.is_object()) return fault("a route is not an object");
        auto distance = route.find("distance");
        auto duration = route.find("duration");
        auto geometry = route.find("geometry");
        if (distance == route.end() || !distance->is_number()) return fault("a route has no distance");
        if (duration == route.end() || !duration->is_number()) return fault("a route has no duration");
        if (geometry == route.end() || !geometry->is_object()) return fault("a route has no geometry");
        auto points = geometry->find("coordinates");
        if (points == geometry->end() || !points->is_array()) return fault("a route's geometry has no coordinates");
        std::vector<LocationCoordinate> line;
        for (const auto& point : *points) {
            if (!point.is_array() || point.size() < 2 || !point[0].is_number() || !point[1].is_number()) {
                return fault("a route point is not [longitude, latitude]");
            }
            line.push_back({point[1].get<double>(), point[0].get<double>()});
        }
        Route result;
        result.polyline = std::make_shared<Polyline>(std::move(line));
        result.distance = distance->get<double>();
        result.expectedTravelTime = duration->get<double>();
        if (auto name = route.find("legs"); name != route.end() && name->is_array() && !name->empty() &&
                                            (*name)[0].is_object() && (*name)[0].contains("summary") &&
                                            (*name)[0]["summary"].is_string()) {
            result.name = (*name)[0]["summary"].get<std::string>();
        }
        outcome.routes.push_back(std::move(result));
    }
    if (outcome.routes.empty()) return fault("no route");
    return outcome;
}

}  // namespace tq::desktop
