#pragma once

namespace tq {

// What the catalogue screen offers the catalogue database when it asks for the stored tours.
struct LocalToursListener {
    virtual ~LocalToursListener() = default;
    // Called once by getAllTours: true when at least one stored tour was loaded.
    virtual void localToursLoaded(bool success) = 0;
};

// What the tour screen offers the catalogue database when it asks, before a preload, whether the
// tour is stored.
struct PreloadRequester {
    virtual ~PreloadRequester() = default;
    virtual void confirmPreload(bool exists) = 0;
};

// What the catalogue screen offers the update of a stored tour.
struct UpdateRequester {
    virtual ~UpdateRequester() = default;
    // The update has ended, whatever its outcome (also when it could not start): clears the
    // screen's update flag and lets its table and navigation bar accept touches again. Every road
    // of an update ends here, so the screen is never left locked.
    virtual void unlockAfterUpdate() = 0;
};

}  // namespace tq
