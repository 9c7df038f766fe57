#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Presentation.h"

namespace tq {

class Environment;
class ViewController;

using ScreenFactory = std::function<std::shared_ptr<ViewController>()>;

// How a segue shows its destination: `show` pushes on the source's navigation controller (or
// presents when there is none), `presentModally` presents, `popover` presents as a popover anchored
// at the sender (a view or bar button item) or at the view named by `anchorIdentifier`.
enum class SegueKind { show, presentModally, popover };

struct SegueDefinition {
    std::string identifier{};
    std::string destination{};  // storyboard identifier of the destination screen
    SegueKind kind = SegueKind::show;
    std::string source{};     // storyboard identifier of the source; empty: any screen of the storyboard
    bool animated = true;
    ModalPresentationStyle presentationStyle = ModalPresentationStyle::automatic;  // for presentModally
    std::string anchorIdentifier{};  // for popover: a view of the source's tree
};

// A segue being performed, as prepareForSegue receives it.
class StoryboardSegue {
public:
    StoryboardSegue(std::string identifier, std::shared_ptr<ViewController> source, std::shared_ptr<ViewController> destination)
        : identifier_(std::move(identifier)), source_(std::move(source)), destination_(std::move(destination)) {}
    const std::string& identifier() const { return identifier_; }
    const std::shared_ptr<ViewController>& sourceViewController() const { return source_; }
    const std::shared_ptr<ViewController>& destinationViewController() const { return destination_; }
    template <class T>
    std::shared_ptr<T> destinationAs() const {
        return std::dynamic_pointer_cast<T>(destination_);
    }

private:
    std::string identifier_;
    std::shared_ptr<ViewController> source_;
    std::shared_ptr<ViewController> destination_;
};

// A named set of screens built in code: a factory per identifier (building the screen's view tree
// and outlets), an initial screen and segues between screens.
class Storyboard : public std::enable_shared_from_this<Storyboard> {
public:
    explicit Storyboard(std::string name) : name_(std::move(name)) {}
    const std::string& name() const { return name_; }

    void registerScreen(const std::string& identifier, ScreenFactory factory);
    bool hasScreen(const std::string& identifier) const;
    // Every identifier a screen is registered under here, in order (not those of an included one).
    std::vector<std::string> screenIdentifiers() const;
    // Screens and segues this storyboard does not define are taken from `other`, as a storyboard
    // that holds copies of another's screens would have them; they are built as this storyboard's.
    void includeScreensOf(std::shared_ptr<Storyboard> other) { included_ = std::move(other); }
    void setInitialScreen(const std::string& identifier) { initial_ = identifier; }
    void addSegue(SegueDefinition segue);

    // A new screen for the identifier, or null when none is registered under it (the platform would
    // stop the program; a caller here can recover).
    std::shared_ptr<ViewController> instantiateViewController(const std::string& identifier);
    template <class T>
    std::shared_ptr<T> instantiate(const std::string& identifier) {
        return std::dynamic_pointer_cast<T>(instantiateViewController(identifier));
    }
    std::shared_ptr<ViewController> instantiateInitialViewController();

    // The segue for a source screen: its own first, then one registered for any source.
    const SegueDefinition* segue(const std::string& sourceIdentifier, const std::string& identifier) const;

private:
    std::string name_;
    std::map<std::string, ScreenFactory> factories_;
    std::string initial_;
    std::vector<SegueDefinition> segues_;
    std::shared_ptr<Storyboard> included_;
};

// Every storyboard of the application by name ("Main", "Main-ipad", "Search-ipad", "Settings-ipad").
// Screens add their factories from their own files, each through a registration function that the
// program (or a test) calls with this registry.
class StoryboardRegistry {
public:
    explicit StoryboardRegistry(Environment&) {}
    static StoryboardRegistry& shared();

    // The storyboard of that name, created empty on first use (for registration).
    Storyboard& storyboard(const std::string& name);
    // The storyboard of that name when one exists, else null (for lookup by screens).
    std::shared_ptr<Storyboard> named(const std::string& name) const;
    std::vector<std::string> names() const;

private:
    std::map<std::string, std::shared_ptr<Storyboard>> storyboards_;
};

}  // namespace tq
