#include "platform/ui/Storyboard.h"

#include "platform/foundation/Environment.h"
#include "platform/ui/ViewController.h"

namespace tq {

void Storyboard::registerScreen(const std::string& identifier, ScreenFactory factory) {
    if (factory) factories_[identifier] = std::move(factory);
}

std::vector<std::string> Storyboard::screenIdentifiers() const {
    std::vector<std::string> identifiers;
    for (const auto& [identifier, factory] : factories_) identifiers.push_back(identifier);
    return identifiers;
}

void Storyboard::addSegue(SegueDefinition segue) {
    for (auto& existing : segues_) {
        if (existing.identifier == segue.identifier && existing.source == segue.source) {
            existing = std::move(segue);
            return;
        }
    }
    segues_.push_back(std::move(segue));
}

bool Storyboard::hasScreen(const std::string& identifier) const {
    return factories_.count(identifier) != 0 || (included_ && included_->hasScreen(identifier));
}

std::shared_ptr<ViewController> Storyboard::instantiateViewController(const std::string& identifier) {
    auto it = factories_.find(identifier);
    if (it == factories_.end()) {
        auto controller = included_ ? included_->instantiateViewController(identifier) : nullptr;
        if (controller) {
            controller->storyboard_ = shared_from_this();
            controller->storyboardIdentifier_ = identifier;
        }
        return controller;
    }
    auto factory = it->second;  // a factory may register more screens
    auto controller = factory();
    if (!controller) return nullptr;
    controller->storyboard_ = shared_from_this();
    controller->storyboardIdentifier_ = identifier;
    return controller;
}

std::shared_ptr<ViewController> Storyboard::instantiateInitialViewController() {
    if (initial_.empty()) return nullptr;
    return instantiateViewController(initial_);
}

const SegueDefinition* Storyboard::segue(const std::string& sourceIdentifier, const std::string& identifier) const {
    const SegueDefinition* fallback = nullptr;
    for (const auto& segue : segues_) {
        if (segue.identifier != identifier) continue;
        if (!segue.source.empty() && segue.source == sourceIdentifier) return &segue;
        if (segue.source.empty() && !fallback) fallback = &segue;
    }
    if (!fallback && included_) return included_->segue(sourceIdentifier, identifier);
    return fallback;
}

StoryboardRegistry& StoryboardRegistry::shared() { return Environment::current().shared<StoryboardRegistry>(); }

Storyboard& StoryboardRegistry::storyboard(const std::string& name) {
    auto& slot = storyboards_[name];
    if (!slot) slot = std::make_shared<Storyboard>(name);
    return *slot;
}

std::shared_ptr<Storyboard> StoryboardRegistry::named(const std::string& name) const {
    auto it = storyboards_.find(name);
    return it == storyboards_.end() ? nullptr : it->second;
}

std::vector<std::string> StoryboardRegistry::names() const {
    std::vector<std::string> result;
    for (const auto& [name, storyboard] : storyboards_) result.push_back(name);
    return result;
}

}  // namespace tq
