#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/TestEnvironment.h"

namespace tq::test {

// How one page is run in the browser.
struct BrowserOptions {
    // Virtual time the page gets: its timers run in that time without the test waiting for it,
    // and time stands still while the page is still fetching files.
    int virtualTimeBudgetMs = 10000;
    int windowWidth = 390;
    int windowHeight = 844;
    // Real-time guard against a browser that hangs; it is killed then.
    double realTimeLimitSeconds = 120;
    // Extra command-line switches (for example "--allow-file-access-from-files").
    std::vector<std::string> extraSwitches;
};

struct BrowserRun {
    bool started = false;     // the browser could be run at all
    bool timedOut = false;    // killed by the real-time guard
    int exitStatus = -1;      // its exit status when it ended by itself
    std::string output;       // standard output: the page's document for dumpDom
    std::string errorOutput;  // standard error

    bool succeeded() const { return started && !timedOut && exitStatus == 0; }
};

// Debian's Chromium run headless on a local page, each run with a fresh profile, so pages are
// tested in a real browser engine: the page loads its scripts, images and tiles from disk, runs
// its timers in virtual time, and the test reads back what it reports.
//
// A page under test reports by writing text (usually JSON) into an element; the test dumps the
// document once the virtual time is spent and reads that element with elementText. PageHarness
// below builds such a page from a page of the bundle.
class HeadlessBrowser {
public:
    // $TQ_CHROMIUM when set, else /usr/bin/chromium.
    static std::filesystem::path executable();
    static bool available();

    // The document as it stands once the page has spent its virtual time.
    BrowserRun dumpDom(const std::filesystem::path& page, const BrowserOptions& options = {});
    // A PNG of the window once the page has spent its virtual time.
    BrowserRun screenshot(const std::filesystem::path& page, const std::filesystem::path& png,
                          const BrowserOptions& options = {});

    // The text content of the element with this id in a dumped document (entities decoded);
    // nothing when there is no such element.
    static std::optional<std::string> elementText(const std::string& document, const std::string& id);

private:
    BrowserRun run(const std::vector<std::string>& arguments, const BrowserOptions& options);
};

// A copy of a page and its files in a temporary folder, with test scripts added to the page, ready
// to be run by HeadlessBrowser.
//
// The added harness (page-harness.js) keeps every navigation the page asks for (cancelled, as the
// application's navigation policy does with "js-frame:" addresses) in harness.navigations, the
// page's console lines and errors, and offers harness.call(text) (evaluates a call text as the
// application does), harness.tap(element) (a click at the element's centre, refused when another
// element covers that point), and harness.report(value) which writes JSON into the element
// "harness-report"; read it with HeadlessBrowser::elementText(dom, PageHarness::reportId).
class PageHarness {
public:
    static constexpr const char* reportId = "harness-report";

    // `pageName` is a file of `sourceDir`; every file of `sourceDir` (not its folders) is copied.
    PageHarness(const std::filesystem::path& sourceDir, const std::string& pageName);
    // A folder with only the harness; the test writes the page `pageName` into it.
    explicit PageHarness(const std::string& pageName);

    const std::filesystem::path& folder() const { return dir_.path(); }
    // Writes a file into the folder (tiles, fixtures).
    void writeFile(const std::filesystem::path& relative, const std::string& bytes) const;
    // Copies a file into the folder under its own name.
    void copyIn(const std::filesystem::path& file) const;
    // The page with the harness and then `scenario` (a script) added at the end of its body.
    std::filesystem::path pageWithScenario(const std::string& scenario, const std::string& name = "under-test.html") const;

    // Runs the scenario in the browser and returns the report text; the failure as text otherwise.
    struct Result {
        bool ok = false;
        std::string report;
        std::string failure;
    };
    Result run(const std::string& scenario, const BrowserOptions& options = {}) const;

private:
    TempDir dir_;
    std::string pageName_;
};

}  // namespace tq::test
