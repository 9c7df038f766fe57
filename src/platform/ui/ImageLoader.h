#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace tq {

class Environment;

struct ImageLoadError {
    enum class Kind {
        invalidAddress,  // neither a web nor a file address
        unreadableFile,  // the local file cannot be read
        notAnImage,      // the bytes do not decode as a picture
        fetchFailed,     // the remote fetch reported an error
        noFetcher,       // no fetcher is plugged in for remote addresses
        superseded,      // a newer load was started into the same image view
    };
    Kind kind;
    std::string description;
};

struct ImageLoadResult {
    std::optional<Image> image;
    std::optional<ImageLoadError> error;
    bool fromCache = false;
    bool succeeded() const { return image.has_value() && !error; }
};

using ImageLoadCompletion = std::function<void(const ImageLoadResult&)>;

struct ImageFetchResult {
    std::optional<std::string> bytes;  // the body, when the fetch worked
    std::string error;                 // what went wrong otherwise
};

// Brings the bytes of a remote picture. The completion is called once, on the main loop.
// The HTTP client provides the real one; tests use MemoryImageFetcher.
class ImageFetcher {
public:
    virtual ~ImageFetcher() = default;
    virtual void fetch(const std::string& address, std::function<void(ImageFetchResult)> completion) = 0;
};

// A fetcher that answers from a table of addresses, on the next turn of the main loop, or when the
// test releases the held requests.
class MemoryImageFetcher : public ImageFetcher {
public:
    explicit MemoryImageFetcher(Environment& env) : env_(env) {}
    void fetch(const std::string& address, std::function<void(ImageFetchResult)> completion) override;

    void setResponse(const std::string& address, std::string bytes) { responses_[address] = {std::move(bytes), {}}; }
    void setFailure(const std::string& address, std::string error) { responses_[address] = {std::nullopt, std::move(error)}; }
    // Held requests wait until release().
    void setHolds(bool holds) { holds_ = holds; }
    void release();
    const std::vector<std::string>& requests() const { return requests_; }

private:
    ImageFetchResult answerFor(const std::string& address) const;
    Environment& env_;
    std::map<std::string, ImageFetchResult> responses_;
    std::vector<std::pair<std::string, std::function<void(ImageFetchResult)>>> held_;
    std::vector<std::string> requests_;
    bool holds_ = false;
};

// Decoded pictures by address, least recently used first out once their bytes pass the limit.
class ImageMemoryCache {
public:
    explicit ImageMemoryCache(std::size_t byteLimit = 64u << 20) : limit_(byteLimit) {}
    std::optional<Image> image(const std::string& key);
    void store(const std::string& key, Image image);
    void remove(const std::string& key);
    void removeAll();
    std::size_t count() const { return entries_.size(); }
    std::size_t totalBytes() const { return total_; }
    void setByteLimit(std::size_t limit);

private:
    struct Entry {
        std::string key;
        Image image;
        std::size_t bytes;
    };
    void evict();
    std::size_t limit_;
    std::size_t total_ = 0;
    std::list<Entry> entries_;  // most recently used first
    std::map<std::string, std::list<Entry>::iterator> index_;
};

struct ImageLoadOptions {
    std::optional<Image> placeholder;  // shown at once; without one the view keeps what it shows
    double fadeDuration = 0;           // the fade-in of the new picture, in seconds
};

// What a load into a view asked for and how it ended; tests and screens' tests read it.
struct ImageLoadRecord {
    std::weak_ptr<ImageView> view;
    std::string source;  // the address, or the local file's path
    bool local = false;
    double fadeDuration = 0;
    double startedAt = 0;
    std::optional<ImageLoadResult> result;
    std::optional<double> fadeEndsAt;  // when the fade of the new picture ends on the main loop's clock
};

// Sets an image view's picture from a remote address or a local file, checking that the bytes are
// a picture first: a file that is no picture leaves the view as it was and reports an error.
// Every completion runs on the main loop, never inside the call that started the load; with a fade
// it runs when the fade ends. Remote pictures are kept in a memory cache by address; local files
// are read each time, so a file replaced by a tour update shows its new picture.
class ImageLoader {
public:
    explicit ImageLoader(Environment& env);

    // A web address ("https:", "http:") or a local one ("file:").
    void setImage(const std::shared_ptr<ImageView>& view, const std::string& address, ImageLoadOptions options = {},
                  ImageLoadCompletion completion = {});
    // The local-file provider.
    void setLocalImage(const std::shared_ptr<ImageView>& view, const std::filesystem::path& file,
                       ImageLoadOptions options = {}, ImageLoadCompletion completion = {});

    void setRemoteFetcher(std::shared_ptr<ImageFetcher> fetcher) { fetcher_ = std::move(fetcher); }
    ImageFetcher* remoteFetcher() const { return fetcher_.get(); }
    ImageMemoryCache& memoryCache() { return cache_; }

    // The most recent loads (the last few hundred), oldest first.
    const std::deque<ImageLoadRecord>& loads() const { return records_; }
    const ImageLoadRecord* lastLoadInto(const ImageView& view) const;

private:
    struct Task;
    std::shared_ptr<Task> begin(const std::shared_ptr<ImageView>& view, std::string source, bool local,
                                const ImageLoadOptions& options, ImageLoadCompletion completion);
    void loadFile(std::shared_ptr<Task> task, std::filesystem::path file);
    void loadRemote(std::shared_ptr<Task> task);
    void deliverBytes(const std::shared_ptr<Task>& task, const std::string& bytes);
    void deliver(const std::shared_ptr<Task>& task, ImageLoadResult result);
    void deliverLater(std::shared_ptr<Task> task, ImageLoadResult result);
    ImageLoadRecord* recordOf(const Task& task);

    Environment& env_;
    std::shared_ptr<bool> alive_;
    std::shared_ptr<ImageFetcher> fetcher_;
    ImageMemoryCache cache_;
    std::deque<ImageLoadRecord> records_;
    std::uint64_t nextTask_ = 1;
    std::uint64_t firstRecordTask_ = 1;
    // The latest load started into each view; an older one that ends later is not shown.
    std::map<const ImageView*, std::pair<std::weak_ptr<ImageView>, std::uint64_t>> latest_;
};

}  // namespace tq
