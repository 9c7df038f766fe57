#pragma once

#include <filesystem>
#include <string>

namespace tq {

class Environment;

// The object store container "TrelvoApp". The application never puts anything in it: the store
// file is created on the first save, and a save writes only when there are changes.
class ObjectStore {
public:
    explicit ObjectStore(Environment& env);
    const std::string& name() const { return name_; }
    bool hasChanges() const { return changes_; }
    // Loads the persistent store, creating its file when absent; false with an error text on failure.
    bool loadPersistentStores(std::string& error);
    bool save(std::string& error);
    const std::filesystem::path& storeFile() const { return file_; }
    int saves() const { return saves_; }

private:
    std::string name_ = "TrelvoApp";
    std::filesystem::path file_;
    bool changes_ = false;
    int saves_ = 0;
};

}  // namespace tq
