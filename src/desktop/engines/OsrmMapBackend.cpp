#include "desktop/engines/OsrmMapBackend.h"

#include <libsoup/soup.h>
#include <nlohmann/json.hpp>

#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"

namespace tq::desktop {

OsrmMapBackend::OsrmMapBackend(Environment& env, std::string serviceAddress)
    : env_(env), base_(std::move(serviceAddress)), session_(soup_session_new()), cancellable_(g_cancellable_new()) {
    while (!base_.empty() && base_.back() == '/') base_.pop_back();
    soup_session_set_timeout(session_, 20);
    soup_session_set_user_agent(session_, "TrelvoQuest/1.0");
}

OsrmMapBackend::~OsrmMapBackend() {
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    g_object_unref(session_);
}

namespace {

struct RouteCall {
    SoupMessage* message;
    std::function<void(DirectionsOutcome)> reply;
};

}  // namespace

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
    SoupMessage* message = soup_message_new("GET", address->c_str());
    if (!message) {
        reply(DirectionsOutcome{{}, DirectionsError{"the routing service's address is not valid: " + *address}});
        return;
    }
    auto* call = new RouteCall{message, std::move(reply)};
    soup_session_send_and_read_async(
        session_, message, G_PRIORITY_DEFAULT, cancellable_,
        [](GObject* session, GAsyncResult* result, gpointer data) {
            std::unique_ptr<RouteCall> call(static_cast<RouteCall*>(data));
            GError* error = nullptr;
            GBytes* body = soup_session_send_and_read_finish(SOUP_SESSION(session), result, &error);
            DirectionsOutcome outcome;
            if (!body) {
                outcome.error = DirectionsError{std::string("the routing service did not answer: ") +
                                                (error && error->message ? error->message : "no reply")};
            } else if (auto status = soup_message_get_status(call->message); status < 200 || status > 299) {
                outcome.error = DirectionsError{"the routing service answered " + std::to_string(status)};
            } else {
                gsize size = 0;
                const char* bytes = static_cast<const char*>(g_bytes_get_data(body, &size));
                outcome = readOsrmReply(std::string(bytes ? bytes : "", size));
            }
            // A backend that went away (its map service with it) cancelled the call: nobody waits.
            bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
            if (body) g_bytes_unref(body);
            g_clear_error(&error);
            g_object_unref(call->message);
            if (!cancelled) call->reply(std::move(outcome));
        },
        call);
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
