#include "support/HeadlessBrowser.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace tq::test {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string fileAddress(const std::filesystem::path& path) {
    return "file://" + std::filesystem::absolute(path).string();
}

std::string decodeEntities(const std::string& text) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", "\u00a0"}, {"&amp;", "&"}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [entity, character] : entities) {
                if (text.compare(i, std::char_traits<char>::length(entity), entity) == 0) {
                    out += character;
                    i += std::char_traits<char>::length(entity);
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

// Runs the command with its output in files; kills its whole process group past the limit.
BrowserRun runProcess(const std::vector<std::string>& command, const std::filesystem::path& outFile,
                      const std::filesystem::path& errFile, double limitSeconds) {
    BrowserRun result;
    pid_t pid = ::fork();
    if (pid < 0) return result;
    if (pid == 0) {
        ::setpgid(0, 0);
        int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int none = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || none < 0) ::_exit(126);
        ::dup2(none, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        for (const auto& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    result.started = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) {
            result.started = false;
            return result;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        // Waiting on another process, not on anything the application schedules.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Helpers the browser left behind in its group go with it.
    ::kill(-pid, SIGKILL);
    if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (!result.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 127) result.started = false;
    result.output = readFile(outFile);
    result.errorOutput = readFile(errFile);
    return result;
}

}  // namespace

std::filesystem::path HeadlessBrowser::executable() {
    if (const char* chosen = std::getenv("TQ_CHROMIUM"); chosen && *chosen) return chosen;
    return "/usr/bin/chromium";
}

bool HeadlessBrowser::available() { return ::access(executable().c_str(), X_OK) == 0; }

BrowserRun HeadlessBrowser::run(const std::vector<std::string>& arguments, const BrowserOptions& options) {
    TempDir scratch;
    std::vector<std::string> command{executable().string(),
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--hide-scrollbars",
                                     "--user-data-dir=" + (scratch.path() / "profile").string(),
                                     "--virtual-time-budget=" + std::to_string(options.virtualTimeBudgetMs),
                                     "--window-size=" + std::to_string(options.windowWidth) + "," +
                                         std::to_string(options.windowHeight)};
    command.insert(command.end(), options.extraSwitches.begin(), options.extraSwitches.end());
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProcess(command, scratch.path() / "stdout", scratch.path() / "stderr", options.realTimeLimitSeconds);
}

BrowserRun HeadlessBrowser::dumpDom(const std::filesystem::path& page, const BrowserOptions& options) {
    return run({"--dump-dom", fileAddress(page)}, options);
}

BrowserRun HeadlessBrowser::screenshot(const std::filesystem::path& page, const std::filesystem::path& png,
                                       const BrowserOptions& options) {
    return run({"--screenshot=" + std::filesystem::absolute(png).string(), fileAddress(page)}, options);
}

std::optional<std::string> HeadlessBrowser::elementText(const std::string& document, const std::string& id) {
    auto marker = document.find("id=\"" + id + "\"");
    if (marker == std::string::npos) return std::nullopt;
    auto start = document.find('>', marker);
    if (start == std::string::npos) return std::nullopt;
    ++start;
    auto end = document.find('<', start);
    if (end == std::string::npos) return std::nullopt;
    return decodeEntities(document.substr(start, end - start));
}

// ---- PageHarness

PageHarness::PageHarness(const std::filesystem::path& sourceDir, const std::string& pageName) : PageHarness(pageName) {
    for (const auto& entry : std::filesystem::directory_iterator(sourceDir)) {
        if (entry.is_regular_file()) {
            std::filesystem::copy_file(entry.path(), dir_.path() / entry.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
}

PageHarness::PageHarness(const std::string& pageName) : pageName_(pageName) {
    std::filesystem::copy_file(std::filesystem::path(TQ_TEST_SOURCE_DIR) / "tests/support/page-harness.js",
                               dir_.path() / "page-harness.js", std::filesystem::copy_options::overwrite_existing);
}

void PageHarness::writeFile(const std::filesystem::path& relative, const std::string& bytes) const {
    writeText(dir_.path() / relative, bytes);
}

void PageHarness::copyIn(const std::filesystem::path& file) const {
    std::filesystem::copy_file(file, dir_.path() / file.filename(), std::filesystem::copy_options::overwrite_existing);
}

std::filesystem::path PageHarness::pageWithScenario(const std::string& scenario, const std::string& name) const {
    std::string page = readFile(dir_.path() / pageName_);
    // The harness goes first, so that it sees every navigation the page makes; the scenario last.
    const std::string harness = "<script src=\"page-harness.js\"></script>";
    auto head = page.find("<head>");
    if (head != std::string::npos) {
        page.insert(head + 6, harness);
    } else {
        page.insert(0, harness);
    }
    // The scenario goes in its own file, so that nothing in it can end the page's script element.
    const std::string scenarioFile = name + ".scenario.js";
    writeText(dir_.path() / scenarioFile, scenario);
    const std::string script = "<script src=\"" + scenarioFile + "\"></script>\n";
    auto bodyEnd = page.rfind("</body>");
    if (bodyEnd != std::string::npos) {
        page.insert(bodyEnd, script);
    } else {
        page += script;
    }
    auto path = dir_.path() / name;
    writeText(path, page);
    return path;
}

PageHarness::Result PageHarness::run(const std::string& scenario, const BrowserOptions& options) const {
    Result result;
    if (!HeadlessBrowser::available()) {
        result.failure = "no browser at " + HeadlessBrowser::executable().string();
        return result;
    }
    HeadlessBrowser browser;
    auto run = browser.dumpDom(pageWithScenario(scenario), options);
    if (!run.succeeded()) {
        result.failure = "the browser failed (exit " + std::to_string(run.exitStatus) +
                         (run.timedOut ? ", timed out" : "") + "): " + run.errorOutput.substr(0, 2000);
        return result;
    }
    auto report = HeadlessBrowser::elementText(run.output, reportId);
    if (!report) {
        result.failure = "the page made no report; its document was:\n" + run.output.substr(0, 4000);
        return result;
    }
    result.ok = true;
    result.report = *report;
    return result;
}

}  // namespace tq::test
