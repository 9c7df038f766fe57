#include "platform/services/ObjectStore.h"

#include "platform/foundation/Environment.h"
#include "platform/foundation/FileSystem.h"

namespace tq {

ObjectStore::ObjectStore(Environment& env) : file_(env.configDir() / "TrelvoApp.store") {}

bool ObjectStore::loadPersistentStores(std::string& error) {
    std::error_code ec;
    if (std::filesystem::exists(file_, ec)) return true;
    if (!writeFileAtomically(file_, "{}\n")) {
        error = "could not create the store at " + file_.string();
        return false;
    }
    return true;
}

bool ObjectStore::save(std::string& error) {
    if (!changes_) return true;
    if (!writeFileAtomically(file_, "{}\n")) {
        error = "could not write the store at " + file_.string();
        return false;
    }
    changes_ = false;
    ++saves_;
    return true;
}

}  // namespace tq
