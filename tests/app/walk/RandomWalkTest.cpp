// A long seeded random walk over every screen: from the home screen, a person acts on whatever the
// window shows (buttons, rows, segments, sliders, switches, text fields with hostile texts, stars,
// gestures, alert actions, bar items, back) while the clock moves by random steps and the web
// service answers with a seeded mix of good replies and failures, some of them held and let go
// later. After every step the walk checks what a person would notice.
//
//   TQ_WALK_SEEDS=7,8   the seeds to walk (default: three fixed seeds)
//   TQ_WALK_STEPS=20000 steps per seed (default 2000)
//
// The seed is printed first; the trace of the steps is written as the walk goes, to
// random-walk-<seed>.trace in the working directory, and removed when the walk passes (kept with
// TQ_WALK_KEEP_TRACE=1).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <typeinfo>

#include "app/Application.h"
#include "app/storyboards/Storyboards.h"
#include "platform/foundation/Environment.h"
#include "platform/location/LocationService.h"
#include "platform/media/VideoPlayerViewController.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/TourDownloader.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using test::ScriptedReply;

// The service's side: every request gets a reply chosen from its own address and how many times
// that address was asked, so the mix does not depend on the order replies travel in.
class ChaoticService {
public:
    ChaoticService(test::TestWebService& service, std::uint64_t seed) : service_(service), seed_(seed) {
        catalogue_ = test::fixtureText("catalogue.json");
        fullTour_ = test::fixtureText("full-tour.json");
        service_.handle("/", [this](const test::RecordedRequest& request) { return answer(request); });
    }

    // Lets the oldest held reply go; false when none is held.
    bool releaseOne() {
        std::string gate;
        {
            std::lock_guard lock(mutex_);
            if (held_.empty()) return false;
            gate = held_.front();
            held_.pop_front();
        }
        service_.release(gate);
        return true;
    }
    int heldCount() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(held_.size());
    }
    void releaseAll() {
        while (releaseOne()) {
        }
    }

private:
    std::string goodBody(const std::string& path) const {
        auto has = [&](const char* part) { return path.find(part) != std::string::npos; };
        if (has("getFullCircuit/")) return fullTour_;
        if (has("getSimpleListCatalog") || has("Subcircuits") || has("OrganizationCatalog") || has("ToursNearby") ||
            has("searchByProximity") || has("getToursBy") || has("searchCircuitByKeywords")) {
            return catalogue_;
        }
        return R"({"status":"success","results":[]})";
    }

    ScriptedReply answer(const test::RecordedRequest& request) {
        std::uint64_t draw;
        {
            std::lock_guard lock(mutex_);
            auto count = asked_[request.path]++;
            std::seed_seq mix{static_cast<std::uint32_t>(seed_), static_cast<std::uint32_t>(seed_ >> 32),
                              static_cast<std::uint32_t>(std::hash<std::string>{}(request.path)),
                              static_cast<std::uint32_t>(count)};
            std::mt19937_64 rng(mix);
            draw = rng();
        }
        const bool media = request.host == test::kFixtureMediaHost;
        ScriptedReply reply = media ? ScriptedReply::bytes(std::string(2048, 'x'), "image/jpeg")
                                    : ScriptedReply::json(goodBody(request.path));
        switch (draw % 10) {
            case 0: reply = ScriptedReply::text("Internal error", 500); break;
            case 1: reply.closeAfterBytes = reply.body.size() / 2; break;  // cut body
            case 2: reply = ScriptedReply::json(R"({"status":"success","results":"none"})"); break;  // wrong type
            case 3: reply = ScriptedReply::json(R"({"status":1,"results":[{"circuit_id":418}]})"); break;
            case 4: reply = ScriptedReply::text(""); break;
            default: break;
        }
        std::lock_guard lock(mutex_);
        // Held until a later step lets it go: a slow or late reply. A few at a time, as each one
        // holds one of the server's workers.
        if ((draw >> 8) % 6 == 0 && held_.size() < 2) {
            reply.gate = "held-" + std::to_string(++gates_);
            held_.push_back(reply.gate);
        }
        return reply;
    }

    test::TestWebService& service_;
    std::uint64_t seed_;
    std::string catalogue_;
    std::string fullTour_;
    mutable std::mutex mutex_;
    std::map<std::string, std::uint64_t> asked_;
    std::deque<std::string> held_;
    int gates_ = 0;
};

const std::vector<std::string> kHostileTexts = {
    "", "Lyon", "l'eau \"douce\"", "<script>alert(1)</script>", "%00%", "../../etc/passwd", std::string(3000, 'a'),
    "\xff\xfe broken", "Québec ☃ 東京", "   ", "a/b?c=d&e#f",
};

// One thing a person can do now, described for the trace.
struct Move {
    std::string what;
    std::function<void()> act;
};

class RandomWalk {
public:
    RandomWalk(test::TestEnvironment& env, ChaoticService& chaos, std::uint64_t seed, std::ofstream& trace)
        : env_(env), chaos_(chaos), rng_(seed), trace_(trace) {}

    void step(int number) {
        auto moves = availableMoves();
        if (!moves.empty()) {
            auto& move = moves[pick(moves.size())];
            trace_ << number << " " << move.what << std::endl;
            move.act();
        } else {
            auto top = topScreen();
            trace_ << number << " nothing to do on " << (top ? typeid(*top).name() : "no screen") << std::endl;
        }
        if (pick(4) == 0 && chaos_.heldCount() > 0) {
            trace_ << number << " release a held reply" << std::endl;
            chaos_.releaseOne();
        }
        double seconds = std::vector<double>{0, 0.1, 0.5, 0.8, 1.0, 3.0, 6.0}[pick(7)];
        trace_ << number << " advance " << seconds << (ProgressOverlay::shared().isVisible() ? " (overlay up)" : "")
               << std::endl;
        runUntilOnlyHeldReplies();
        env_.advance(seconds);
        runUntilOnlyHeldReplies();
        check(number);
    }

    // Lets every reply go and lets the application finish what it started.
    void finish() {
        for (int round = 0; round < 50; ++round) {
            chaos_.releaseAll();
            env_.settle();
            env_.advance(10);
            if (chaos_.heldCount() == 0 && !TourDownloaders::shared().current().isDownloadRunning()) break;
        }
        chaos_.releaseAll();
        env_.settle();
    }

private:
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(rng_); }

    void runUntilOnlyHeldReplies() {
        auto& loop = env_->loop();
        bool settled = env_.runUntil([&] {
            loop.runPending();
            return loop.externalWorkInFlight() <= chaos_.heldCount();
        });
        ASSERT_TRUE(settled) << "replies that are not held kept the loop busy: " << loop.externalWorkInFlight()
                             << " in flight, " << chaos_.heldCount() << " held";
    }

    static std::shared_ptr<ViewController> topScreen() {
        auto window = UiApplication::shared().keyWindow();
        auto root = window ? window->rootViewController() : nullptr;
        if (!root) return nullptr;
        auto top = test::topPresented(*root);
        return top ? top : root;
    }

    static void collect(View& view, std::vector<View*>& found) {
        if (view.isHidden() || view.alpha() <= 0.01 || !view.isUserInteractionEnabled()) return;
        found.push_back(&view);
        for (const auto& sub : view.subviews()) collect(*sub, found);
    }

    std::vector<Move> availableMoves() {
        std::vector<Move> moves;
        auto& location = LocationService::of(env_.env()).driver();
        if (location.hasPendingRequest()) {
            // The system's location prompt is modal.
            moves.push_back({"allow location", [&location] { location.grant(); }});
            moves.push_back({"refuse location", [&location] { location.deny(); }});
            return moves;
        }
        if (location.locationUpdatesWanted()) {
            moves.push_back({"a position arrives", [&location] { location.deliverLocation(45.7640, 4.8357); }});
        }
        auto top = topScreen();
        if (!top) return moves;
        if (auto alert = std::dynamic_pointer_cast<AlertController>(top)) {
            // An alert is modal: its buttons are all a person can touch.
            for (std::size_t i = 0; i < alert->actions().size(); ++i) {
                moves.push_back({"alert '" + alert->shownTitle() + "' button " + alert->actions()[i].title,
                                 [alert, i] { alert->tapAction(i); }});
            }
            return moves;
        }
        if (auto player = std::dynamic_pointer_cast<VideoPlayerViewController>(top)) {
            moves.push_back({"close the video player", [player] { player->userEndsFullScreen(); }});
            return moves;
        }
        if (auto sheet = std::dynamic_pointer_cast<ActivityViewController>(top)) {
            moves.push_back({"share sheet cancel", [sheet] { sheet->cancel(); }});
            moves.push_back({"share sheet mail", [sheet] { sheet->choose(activity_type::mail); }});
            return moves;
        }

        auto screen = top;
        std::shared_ptr<NavigationController> nav = std::dynamic_pointer_cast<NavigationController>(top);
        if (nav && nav->topViewController()) screen = nav->topViewController();
        if (nav && nav->isBackButtonShown()) moves.push_back({"back", [nav] { nav->tapBackButton(); }});
        const std::string where = typeid(*screen).name();
        auto addItems = [&](const std::vector<std::shared_ptr<BarButtonItem>>& items, const char* side) {
            for (const auto& item : items) {
                if (item && item->isEnabled() && !item->isHidden() && item->hasAction()) {
                    moves.push_back({where + " " + side + " bar item " + item->title(), [item] { item->tap(); }});
                }
            }
        };
        addItems(screen->navigationItem().leftBarButtonItems(), "left");
        addItems(screen->navigationItem().rightBarButtonItems(), "right");

        std::vector<View*> views;
        collect(top->view(), views);
        for (View* view : views) {
            auto shared = view->shared_from_this();
            auto name = where + " " + view->identifier();
            if (auto* button = dynamic_cast<Button*>(view); button && button->canBeTouched()) {
                auto b = std::static_pointer_cast<Button>(shared);
                moves.push_back({"tap " + name, [b] { b->tap(); }});
            } else if (auto* segments = dynamic_cast<SegmentedControl*>(view); segments && segments->canBeTouched()) {
                auto s = std::static_pointer_cast<SegmentedControl>(shared);
                int index = static_cast<int>(pick(static_cast<std::size_t>(std::max(1, segments->numberOfSegments()))));
                moves.push_back({"segment " + std::to_string(index) + " of " + name, [s, index] { s->select(index); }});
            } else if (auto* slider = dynamic_cast<Slider*>(view); slider && slider->canBeTouched()) {
                auto s = std::static_pointer_cast<Slider>(shared);
                float value = static_cast<float>(pick(11)) / 2.0F;
                moves.push_back({"slide " + name + " to " + std::to_string(value), [s, value] { s->moveTo(value); }});
            } else if (auto* toggle = dynamic_cast<Switch*>(view); toggle && toggle->canBeTouched()) {
                auto s = std::static_pointer_cast<Switch>(shared);
                moves.push_back({"toggle " + name, [s] { s->toggle(); }});
            } else if (auto* field = dynamic_cast<TextField*>(view); field && field->canBeTouched()) {
                auto f = std::static_pointer_cast<TextField>(shared);
                auto text = kHostileTexts[pick(kHostileTexts.size())];
                moves.push_back({"type " + std::to_string(text.size()) + " bytes in " + name, [f, text] { f->typeText(text); }});
                moves.push_back({"return in " + name, [f] { f->pressReturn(); }});
            } else if (auto* stars = dynamic_cast<StarRatingView*>(view); stars && stars->isEditable()) {
                auto s = std::static_pointer_cast<StarRatingView>(shared);
                double at = static_cast<double>(pick(11)) / 2.0;
                moves.push_back({"stars " + name, [s, at] { s->touch(at); }});
            } else if (auto* table = dynamic_cast<TableView*>(view)) {
                auto t = std::static_pointer_cast<TableView>(shared);
                auto rows = table->indexPathsForVisibleRows();
                if (!rows.empty()) {
                    auto row = rows[pick(rows.size())];
                    auto at = std::to_string(row.section) + "." + std::to_string(row.row);
                    moves.push_back({"select row " + at + " of " + name, [t, row] { t->selectRow(row); }});
                    if (auto swipe = table->trailingSwipeActions(row)) {
                        for (const auto& action : swipe->actions) {
                            auto title = action.title;
                            moves.push_back({"swipe '" + title + "' on row " + at + " of " + name,
                                             [t, row, title] { t->performSwipeAction(row, title); }});
                        }
                    }
                }
            }
            for (const auto& gesture : view->gestureRecognizers()) {
                if (!gesture->isEnabled()) continue;
                std::weak_ptr<View> weak = shared;
                if (gesture->kind() == GestureKind::tap) {
                    moves.push_back({"tap gesture on " + name, [weak] {
                                         if (auto v = weak.lock()) v->tapGesture();
                                     }});
                } else if (gesture->kind() == GestureKind::swipe) {
                    auto direction = gesture->direction();
                    moves.push_back({"swipe on " + name, [weak, direction] {
                                         if (auto v = weak.lock()) v->swipe(direction);
                                     }});
                }
            }
        }
        return moves;
    }

    void check(int number) {
        SCOPED_TRACE("step " + std::to_string(number));
        // No stack holds more than three screens of one kind.
        auto window = UiApplication::shared().keyWindow();
        auto root = window ? window->rootViewController() : nullptr;
        for (auto screen = root; screen; screen = screen->presentedViewController()) {
            auto nav = std::dynamic_pointer_cast<NavigationController>(screen);
            if (!nav) continue;
            std::map<std::string, int> kinds;
            for (const auto& child : nav->viewControllers()) {
                ASSERT_LE(++kinds[typeid(*child).name()], 3) << "a stack of " << typeid(*child).name();
            }
            if (screen->presentedViewController() == screen) break;
        }
        // Every alert can be dismissed: by a button, or it goes by itself within a few seconds.
        auto alert = std::dynamic_pointer_cast<AlertController>(topScreen());
        bool dismissable = !alert;
        if (alert) {
            for (const auto& action : alert->actions()) dismissable = dismissable || action.enabled;
        }
        alertStuckSince_ = dismissable ? std::optional<double>() : alertStuckSince_.value_or(env_->loop().now());
        if (alertStuckSince_) {
            ASSERT_LT(env_->loop().now() - *alertStuckSince_, 15.0) << "an alert that cannot be dismissed: " << alert->shownTitle();
        }
        // The progress overlay never stays up with nothing in flight.
        auto& overlay = ProgressOverlay::shared();
        bool waitingForNothing = overlay.isVisible() && env_->loop().externalWorkInFlight() == 0;
        overlayIdleSince_ = waitingForNothing ? overlayIdleSince_.value_or(env_->loop().now()) : std::optional<double>();
        if (overlayIdleSince_) {
            ASSERT_LT(env_->loop().now() - *overlayIdleSince_, 30.0) << "the progress overlay stays up with nothing in flight";
        }
    }

    test::TestEnvironment& env_;
    ChaoticService& chaos_;
    std::mt19937_64 rng_;
    std::ofstream& trace_;
    std::optional<double> overlayIdleSince_;
    std::optional<double> alertStuckSince_;
};

std::vector<std::uint64_t> seedsToWalk() {
    std::vector<std::uint64_t> seeds;
    if (const char* given = std::getenv("TQ_WALK_SEEDS")) {
        std::stringstream list(given);
        std::string item;
        while (std::getline(list, item, ',')) seeds.push_back(std::stoull(item));
    }
    if (seeds.empty()) seeds = {1, 26, 418};
    return seeds;
}

int stepsPerSeed() {
    const char* given = std::getenv("TQ_WALK_STEPS");
    return given ? std::atoi(given) : 2000;
}

// The cache holds only whole tour folders, each with its catalogue row, and every row its folder.
void expectWholeToursOnly(Environment& env) {
    auto rows = env.shared<TourStore>().database.readAllRows();
    ASSERT_TRUE(rows.opened);
    std::set<std::string> stored;
    for (const auto& row : rows.rows) stored.insert(row.idCircuit);
    std::set<std::string> folders;
    auto circuits = env.cacheDir() / "circuit";
    if (std::filesystem::exists(circuits)) {
        for (const auto& entry : std::filesystem::directory_iterator(circuits)) {
            auto name = entry.path().filename().string();
            ASSERT_EQ(name.rfind("circuit", 0), 0u) << "a stray entry in the tours folder: " << name;
            folders.insert(name.substr(7));
        }
    }
    EXPECT_EQ(folders, stored) << "tour folders and catalogue rows differ";
}

class RandomWalkTest : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(RandomWalkTest, EveryScreenSurvivesASeededWalk) {
    const auto seed = GetParam();
    const int steps = stepsPerSeed();
    std::printf("random walk: seed %llu, %d steps (replay with TQ_WALK_SEEDS=%llu)\n",
                static_cast<unsigned long long>(seed), steps, static_cast<unsigned long long>(seed));
    const auto tracePath = std::filesystem::absolute("random-walk-" + std::to_string(seed) + ".trace");
    std::ofstream trace(tracePath);

    test::TestWebService service;
    test::TestEnvironment env;
    service.connect(env.env());
    ChaoticService chaos(service, seed);
    registerStoryboards(StoryboardRegistry::shared());
    env->shared<Application>().launch();
    env.settle();

    RandomWalk walk(env, chaos, seed, trace);
    for (int i = 1; i <= steps && !::testing::Test::HasFatalFailure(); ++i) walk.step(i);
    walk.finish();
    expectWholeToursOnly(env.env());

    trace.close();
    if (::testing::Test::HasFailure()) {
        ADD_FAILURE() << "the walk's steps are in " << tracePath;
    } else if (!std::getenv("TQ_WALK_KEEP_TRACE")) {
        std::filesystem::remove(tracePath);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomWalkTest, ::testing::ValuesIn(seedsToWalk()),
                         [](const auto& info) { return "seed" + std::to_string(info.param); });

}  // namespace
}  // namespace tq
