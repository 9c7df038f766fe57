#include "desktop/engines/GeoClueLocationBackend.h"

#include <geoclue.h>

#include "platform/foundation/Environment.h"

namespace tq::desktop {

namespace {

constexpr const char* geoClueName = "org.freedesktop.GeoClue2";
constexpr const char* desktopId = "trelvoquest";

bool nameKnown(GDBusConnection* bus, const char* method) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        std::string(method) == "NameHasOwner" ? g_variant_new("(s)", geoClueName) : nullptr, nullptr,
        G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, &error);
    g_clear_error(&error);
    if (!reply) return false;
    bool known = false;
    if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(b)"))) {
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        known = owned;
    } else if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(as)"))) {
        GVariantIter* names = nullptr;
        const char* name = nullptr;
        g_variant_get(reply, "(as)", &names);
        while (g_variant_iter_loop(names, "&s", &name)) known = known || std::string(name) == geoClueName;
        g_variant_iter_free(names);
    }
    g_variant_unref(reply);
    return known;
}

}  // namespace

GeoClueLocationBackend::GeoClueLocationBackend(Environment& env, std::optional<std::string> busAddress)
    : env_(env), busAddress_(std::move(busAddress)), cancellable_(g_cancellable_new()),
      self_(std::make_shared<GeoClueLocationBackend*>(this)),
      repeater_(env.loop(), [this](const Location& location) {
          if (simple_ && wanted_ && listener_) listener_->locationsArrived({location});
      }) {}

GeoClueLocationBackend::~GeoClueLocationBackend() {
    *self_ = nullptr;
    g_cancellable_cancel(cancellable_);
    dropClient();
    if (watch_) g_bus_unwatch_name(watch_);
    if (bus_) g_object_unref(bus_);
    g_object_unref(cancellable_);
}

// Looked at once, on first need: whether there is a bus and GeoClue on it (running, or started
// on demand). From then on the bus says when it goes away.
void GeoClueLocationBackend::probe() const {
    if (available_) return;
    GError* error = nullptr;
    if (busAddress_) {
        bus_ = g_dbus_connection_new_for_address_sync(
            busAddress_->c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    } else {
        bus_ = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    }
    g_clear_error(&error);
    available_ = bus_ && (nameKnown(bus_, "NameHasOwner") || nameKnown(bus_, "ListActivatableNames"));
    if (!*available_) {
        env_.console().log("Location services are off: GeoClue is not available on this machine");
        return;
    }
    auto* cell = new std::weak_ptr<GeoClueLocationBackend*>(self_);
    watch_ = g_bus_watch_name_on_connection(
        bus_, geoClueName, G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
        [](GDBusConnection*, const gchar*, gpointer data) {
            auto self = static_cast<std::weak_ptr<GeoClueLocationBackend*>*>(data)->lock();
            if (self && *self) (*self)->servicesGone();
        },
        cell, [](gpointer data) { delete static_cast<std::weak_ptr<GeoClueLocationBackend*>*>(data); });
}

bool GeoClueLocationBackend::servicesEnabled() const {
    probe();
    return *available_;
}

void GeoClueLocationBackend::servicesGone() {
    // Only a GeoClue that was running and is now gone: an activatable one has no owner until it is
    // first used.
    if (!simple_ && !starting_) return;
    env_.console().log("Location services are off: GeoClue went away");
    available_ = false;
    dropClient();
    if (listener_) listener_->authorizationChanged();
}

void GeoClueLocationBackend::requestWhenInUseAuthorization() {
    if (!servicesEnabled() || status_ != LocationAuthorizationStatus::notDetermined) return;
    startClient();
}

void GeoClueLocationBackend::setUpdatesWanted(bool locations, bool) {
    wanted_ = locations;
    if (!wanted_) {
        dropClient();
        return;
    }
    if (!servicesEnabled() || !isAuthorized(status_)) return;
    if (simple_) {
        deliverPresentLocation();
    } else {
        startClient();
    }
}

void GeoClueLocationBackend::startClient() {
    if (starting_ || simple_) return;
    starting_ = true;
    auto* cell = new std::weak_ptr<GeoClueLocationBackend*>(self_);
    gclue_simple_new_with_thresholds(
        desktopId, GCLUE_ACCURACY_LEVEL_EXACT, 0, 0, cancellable_,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::weak_ptr<GeoClueLocationBackend*>> cell(
                static_cast<std::weak_ptr<GeoClueLocationBackend*>*>(data));
            GError* error = nullptr;
            GClueSimple* simple = gclue_simple_new_with_thresholds_finish(result, &error);
            auto self = cell->lock();
            if (self && *self) {
                (*self)->clientStarted(simple, error);
            } else if (simple) {
                g_object_unref(simple);
            }
            g_clear_error(&error);
        },
        cell);
}

void GeoClueLocationBackend::clientStarted(GClueSimple* simple, GError* error) {
    starting_ = false;
    if (!simple) {
        if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) return;
        bool refused = g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED);
        if (refused) {
            status_ = LocationAuthorizationStatus::denied;
        } else {
            env_.console().log(std::string("Location services are off: ") + (error ? error->message : "GeoClue failed"));
            available_ = false;
        }
        if (listener_) listener_->authorizationChanged();
        return;
    }
    simple_ = simple;
    bool changed = status_ != LocationAuthorizationStatus::authorizedWhenInUse;
    status_ = LocationAuthorizationStatus::authorizedWhenInUse;
    locationHandler_ = g_signal_connect(simple_, "notify::location", G_CALLBACK(+[](GObject*, GParamSpec*, gpointer data) {
                                            static_cast<GeoClueLocationBackend*>(data)->deliverPresentLocation();
                                        }),
                                        this);
    if (changed && listener_) listener_->authorizationChanged();
    if (wanted_) {
        deliverPresentLocation();
    } else {
        dropClient();
    }
}

void GeoClueLocationBackend::deliverPresentLocation() {
    if (!simple_ || !wanted_ || !listener_) return;
    GClueLocation* location = gclue_simple_get_location(simple_);
    if (!location) return;
    Location position{{gclue_location_get_latitude(location), gclue_location_get_longitude(location)},
                      gclue_location_get_accuracy(location)};
    repeater_.reported(position);  // before the listener, which may stop the updates
    listener_->locationsArrived({position});
}

void GeoClueLocationBackend::dropClient() {
    repeater_.stop();
    if (!simple_) return;
    if (locationHandler_) g_signal_handler_disconnect(simple_, locationHandler_);
    locationHandler_ = 0;
    g_object_unref(simple_);
    simple_ = nullptr;
}

}  // namespace tq::desktop
