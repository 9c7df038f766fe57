#pragma once

// A test-only window into the running program: with --inspect-socket PATH, the program answers on
// a local socket what its window shows, so that a test driving the real program from outside
// (with real pointer clicks) knows where each view's widget lies and what it reads. It never
// changes the application; the only hook is one line in the program entry.
//
// The protocol is one request line and one reply line of JSON per connection:
//   "tree"  -> {"xid": X window of the window, "settled": no drawing pending,
//               "views": [{"kind", "id", "text", "x", "y", "w", "h", "hit", "parts"}...],
//               "dialog": {"texts": [...], "buttons": [{"text", "x", "y", "w", "h"}...]} or null}
//   "page ID SELECTOR" -> {"elements": [{"x", "y", "w", "h", "hit", "text", "src", "classes"}...]}
//               the elements of the page shown by the web view with the identifier ID that match
//               the CSS SELECTOR, as the page lays them out; {"error"} when no such page is shown.
// Coordinates are in the X window's pixels; `hit` says a click at the centre reaches the widget
// (nothing covers it); a switch's text is "on" or "off". `parts` lists the buttons drawn inside a widget (segments, bar items).

#include <gio/gio.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tq::desktop {

class DesktopWindow;

class Inspector {
public:
    // Listens on `path` (replacing a stale socket file) until destroyed.
    Inspector(DesktopWindow& window, std::string path);
    ~Inspector();
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    bool listening() const { return service_ != nullptr; }
    // The answer to one request line, given to `reply` now or, for a page's elements, once the
    // page has answered.
    void answer(const std::string& request, std::function<void(std::string)> reply);

    // Holds a connection until its late answer is written; the ones still waiting when the
    // inspector goes are closed unanswered.
    void answerLater(GSocketConnection* connection, const std::string& request);

private:
    DesktopWindow& window_;
    std::string path_;
    GSocketService* service_ = nullptr;
    std::map<int, GSocketConnection*> waiting_;
    int nextWaiting_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq::desktop
