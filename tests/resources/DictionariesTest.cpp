#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "product/ProductSites.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"

namespace tq {
namespace {

namespace fs = std::filesystem;
using StringTable = std::map<std::string, std::string>;

struct DictionaryFile {
    std::string name;  // resource name, as the application delegate asks for it
    std::string host;  // the product site whose links this language shares
};

// The application reads the copies laid out in the bundle, so those are what is checked.
const std::vector<DictionaryFile>& dictionaryFiles() {
    static const std::vector<DictionaryFile> files = {
        {"TrelvoQuestLanguageEN", ProductSites::english},
        {"TrelvoQuestLanguageFR", ProductSites::french},
        {"TrelvoQuestLanguageES", ProductSites::spanish},
    };
    return files;
}

std::string readOrFail(const fs::path& path) {
    auto bytes = readFile(path);
    if (!bytes) ADD_FAILURE() << "cannot read " << path;
    return bytes.value_or("");
}

StringTable loadTable(const std::string& name) {
    auto bytes = readOrFail(fs::path(TQ_TEST_BUNDLE_DIR) / (name + ".plist"));
    auto parsed = parsePropertyList(bytes);
    if (!parsed.value) {
        ADD_FAILURE() << name << " does not parse: " << parsed.error;
        return {};
    }
    auto table = asStringTable(*parsed.value);
    if (!table) {
        ADD_FAILURE() << name << " is not a table of texts";
        return {};
    }
    return *table;
}

std::set<std::string> keysOf(const StringTable& table) {
    std::set<std::string> keys;
    for (const auto& [key, text] : table) keys.insert(key);
    return keys;
}

std::vector<std::string> splitAtSlash(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, '/')) parts.push_back(part);
    if (!text.empty() && text.back() == '/') parts.emplace_back();
    return parts;
}

// Undoes the escapes a C++ string literal may hold, so a key is compared as the program sees it.
std::string unescapeLiteral(const std::string& literal) {
    std::string out;
    for (std::size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 == literal.size()) {
            out += literal[i];
            continue;
        }
        char next = literal[++i];
        switch (next) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            default: out += next; break;
        }
    }
    return out;
}

struct CodeLookup {
    std::string key;
    std::string where;
};

// The keys a source asks the dictionary for, written as text("Key") or lookup("Key").
std::vector<std::string> lookupKeysIn(const std::string& source) {
    static const std::regex call(R"re(\b(?:text|lookup)\("((?:[^"\\]|\\.)*)"\))re");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it) {
        keys.push_back(unescapeLiteral((*it)[1].str()));
    }
    return keys;
}

std::vector<CodeLookup> lookupsInSources() {
    std::vector<CodeLookup> found;
    fs::path root = fs::path(TQ_TEST_SOURCE_DIR) / "src";
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
        for (auto& key : lookupKeysIn(readOrFail(entry.path()))) {
            found.push_back({std::move(key), fs::relative(entry.path(), root).string()});
        }
    }
    return found;
}

class Dictionaries : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tables_ = new std::map<std::string, StringTable>;
        for (const auto& file : dictionaryFiles()) (*tables_)[file.name] = loadTable(file.name);
    }
    static void TearDownTestSuite() {
        delete tables_;
        tables_ = nullptr;
    }
    static const StringTable& table(const std::string& name) { return tables_->at(name); }

private:
    static std::map<std::string, StringTable>* tables_;
};

std::map<std::string, StringTable>* Dictionaries::tables_ = nullptr;

TEST_F(Dictionaries, EachParsesAsATableOfTextsWithOneEntryPerKey) {
    for (const auto& file : dictionaryFiles()) {
        SCOPED_TRACE(file.name);
        EXPECT_FALSE(table(file.name).empty());
        // A key written twice in the file would silently keep only one of its texts.
        std::string xml = readOrFail(fs::path(TQ_TEST_BUNDLE_DIR) / (file.name + ".plist"));
        std::size_t written = 0;
        for (auto at = xml.find("<key>"); at != std::string::npos; at = xml.find("<key>", at + 1)) ++written;
        EXPECT_EQ(written, table(file.name).size());
    }
}

TEST_F(Dictionaries, AllThreeHoldTheSameKeys) {
    const auto reference = keysOf(table(dictionaryFiles().front().name));
    for (const auto& file : dictionaryFiles()) {
        const auto keys = keysOf(table(file.name));
        for (const auto& key : reference) EXPECT_TRUE(keys.count(key)) << file.name << " lacks \"" << key << "\"";
        for (const auto& key : keys) EXPECT_TRUE(reference.count(key)) << file.name << " alone has \"" << key << "\"";
    }
}

TEST_F(Dictionaries, HoldEveryKeyOfTheReferenceList) {
    std::istringstream list(readOrFail(fs::path(TQ_TEST_SOURCE_DIR) / "resources" / "dictionary-keys.txt"));
    std::vector<std::string> reference;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty()) reference.push_back(line);
    }
    ASSERT_FALSE(reference.empty());
    for (const auto& file : dictionaryFiles()) {
        for (const auto& key : reference) {
            EXPECT_TRUE(table(file.name).count(key)) << file.name << " lacks \"" << key << "\"";
        }
    }
}

TEST_F(Dictionaries, NoTextIsEmpty) {
    for (const auto& file : dictionaryFiles()) {
        for (const auto& [key, text] : table(file.name)) {
            EXPECT_FALSE(text.empty()) << file.name << " \"" << key << "\"";
        }
    }
}

TEST_F(Dictionaries, HoldEveryKeyTheCodeLooksUp) {
    // Passes trivially while no screen looks anything up yet.
    for (const auto& lookup : lookupsInSources()) {
        for (const auto& file : dictionaryFiles()) {
            EXPECT_TRUE(table(file.name).count(lookup.key))
                << file.name << " lacks \"" << lookup.key << "\", looked up in " << lookup.where;
        }
    }
}

TEST(LookupScan, FindsTheKeysOfBothCallFormsAndNothingElse) {
    const std::string source =
        R"(label.setText(app.text("Close")); auto m = app->lookup("Size:"); context("Notice"); )"
        R"(text(variable); lookup("say \"hi\""); subtext("Featured");)";
    EXPECT_EQ(lookupKeysIn(source), (std::vector<std::string>{"Close", "Size:", "say \"hi\""}));
}

TEST_F(Dictionaries, ShareLinksComeBackAsTourAndPointOfTheirOwnSite) {
    // Incoming links are cut at "/": 2 is the host, 4 the tour and 6 the point.
    for (const auto& file : dictionaryFiles()) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(table(file.name).count("LinkCircuit"));
        const std::string prefix = table(file.name).at("LinkCircuit");
        EXPECT_EQ(prefix.rfind("https://" + file.host + "/", 0), 0u) << prefix;

        auto tourLink = splitAtSlash(prefix + "4217/old-town-walk");
        ASSERT_EQ(tourLink.size(), 6u) << prefix;
        EXPECT_EQ(tourLink[0], "https:");
        EXPECT_EQ(tourLink[2], file.host);
        EXPECT_FALSE(tourLink[3].empty());
        EXPECT_EQ(tourLink[4], "4217");

        auto pointLink = splitAtSlash(prefix + "4217/poi/88/market-hall");
        ASSERT_EQ(pointLink.size(), 8u) << prefix;
        EXPECT_EQ(pointLink[4], "4217");
        EXPECT_EQ(pointLink[6], "88");
    }
}

}  // namespace
}  // namespace tq
