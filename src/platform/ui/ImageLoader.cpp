#include "platform/ui/ImageLoader.h"

#include "platform/foundation/Environment.h"
#include "platform/foundation/FileSystem.h"
#include "platform/services/FileURL.h"
#include "platform/services/ImageDecoding.h"

namespace tq {

namespace {

constexpr std::size_t recordLimit = 256;

ImageLoadResult failure(ImageLoadError::Kind kind, std::string description) {
    ImageLoadResult result;
    result.error = ImageLoadError{kind, std::move(description)};
    return result;
}

}  // namespace

// ---- MemoryImageFetcher

ImageFetchResult MemoryImageFetcher::answerFor(const std::string& address) const {
    auto it = responses_.find(address);
    if (it == responses_.end()) return {std::nullopt, "404 Not Found: " + address};
    return it->second;
}

void MemoryImageFetcher::fetch(const std::string& address, std::function<void(ImageFetchResult)> completion) {
    requests_.push_back(address);
    if (holds_) {
        held_.emplace_back(address, std::move(completion));
        return;
    }
    env_.loop().post([completion = std::move(completion), answer = answerFor(address)] { completion(answer); });
}

void MemoryImageFetcher::release() {
    auto held = std::move(held_);
    held_.clear();
    for (auto& [address, completion] : held) completion(answerFor(address));
}

// ---- ImageMemoryCache

std::optional<Image> ImageMemoryCache::image(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return std::nullopt;
    entries_.splice(entries_.begin(), entries_, it->second);
    return it->second->image;
}

void ImageMemoryCache::store(const std::string& key, Image image) {
    remove(key);
    std::size_t bytes = image.bytes ? image.bytes->size() : 0;
    if (bytes > limit_) return;  // keeping it would push everything else out
    entries_.push_front(Entry{key, std::move(image), bytes});
    index_[key] = entries_.begin();
    total_ += bytes;
    evict();
}

void ImageMemoryCache::remove(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return;
    total_ -= it->second->bytes;
    entries_.erase(it->second);
    index_.erase(it);
}

void ImageMemoryCache::removeAll() {
    entries_.clear();
    index_.clear();
    total_ = 0;
}

void ImageMemoryCache::setByteLimit(std::size_t limit) {
    limit_ = limit;
    evict();
}

void ImageMemoryCache::evict() {
    while (total_ > limit_ && !entries_.empty()) remove(entries_.back().key);
}

// ---- ImageLoader

struct ImageLoader::Task {
    std::uint64_t id = 0;
    std::weak_ptr<ImageView> view;
    std::string source;
    bool local = false;
    ImageLoadOptions options;
    ImageLoadCompletion completion;
};

ImageLoader::ImageLoader(Environment& env) : env_(env), alive_(std::make_shared<bool>(true)) {}

void ImageLoader::setImage(const std::shared_ptr<ImageView>& view, const std::string& address,
                           ImageLoadOptions options, ImageLoadCompletion completion) {
    if (auto path = pathFromFileURL(address)) {
        setLocalImage(view, *path, std::move(options), std::move(completion));
        return;
    }
    auto task = begin(view, address, false, options, std::move(completion));
    if (!hasScheme(address, "https") && !hasScheme(address, "http")) {
        deliverLater(task, failure(ImageLoadError::Kind::invalidAddress, "Not a valid image address: \"" + address + "\""));
        return;
    }
    loadRemote(task);
}

void ImageLoader::setLocalImage(const std::shared_ptr<ImageView>& view, const std::filesystem::path& file,
                                ImageLoadOptions options, ImageLoadCompletion completion) {
    auto task = begin(view, file.string(), true, options, std::move(completion));
    std::weak_ptr<bool> alive = alive_;
    // Read on a later turn, as the platform's loader reads files off the caller's path.
    env_.loop().post([this, alive, task, file] {
        if (alive.lock()) loadFile(task, file);
    });
}

std::shared_ptr<ImageLoader::Task> ImageLoader::begin(const std::shared_ptr<ImageView>& view, std::string source,
                                                      bool local, const ImageLoadOptions& options,
                                                      ImageLoadCompletion completion) {
    auto task = std::make_shared<Task>();
    task->id = nextTask_++;
    task->view = view;
    task->source = std::move(source);
    task->local = local;
    task->options = options;
    task->completion = std::move(completion);

    ImageLoadRecord record;
    record.view = view;
    record.source = task->source;
    record.local = local;
    record.fadeDuration = options.fadeDuration;
    record.startedAt = env_.loop().now();
    records_.push_back(std::move(record));
    if (records_.size() > recordLimit) {
        records_.pop_front();
        ++firstRecordTask_;
    }

    if (latest_.size() > 64) {
        std::erase_if(latest_, [](const auto& entry) { return entry.second.first.expired(); });
    }
    if (view) {
        latest_[view.get()] = {view, task->id};
        if (options.placeholder) view->setImage(options.placeholder);
    }
    return task;
}

ImageLoadRecord* ImageLoader::recordOf(const Task& task) {
    if (task.id < firstRecordTask_) return nullptr;
    std::size_t index = task.id - firstRecordTask_;
    return index < records_.size() ? &records_[index] : nullptr;
}

void ImageLoader::loadFile(std::shared_ptr<Task> task, std::filesystem::path file) {
    auto bytes = readFile(file);
    if (!bytes) {
        deliver(task, failure(ImageLoadError::Kind::unreadableFile, "Cannot read the image file " + file.string()));
        return;
    }
    deliverBytes(task, *bytes);
}

void ImageLoader::loadRemote(std::shared_ptr<Task> task) {
    if (auto cached = cache_.image(task->source)) {
        ImageLoadResult result;
        result.image = std::move(cached);
        result.fromCache = true;
        deliver(task, std::move(result));
        return;
    }
    if (!fetcher_) {
        deliverLater(task, failure(ImageLoadError::Kind::noFetcher, "No fetcher for remote images"));
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    fetcher_->fetch(task->source, [this, alive, task](ImageFetchResult fetched) {
        if (!alive.lock()) return;
        if (!fetched.bytes) {
            deliver(task, failure(ImageLoadError::Kind::fetchFailed, fetched.error));
            return;
        }
        deliverBytes(task, *fetched.bytes);
    });
}

void ImageLoader::deliverBytes(const std::shared_ptr<Task>& task, const std::string& bytes) {
    std::string reason;
    auto info = decodeImage(bytes, &reason);
    if (!info) {
        deliver(task, failure(ImageLoadError::Kind::notAnImage, "The data is not a valid image (" + reason + ")"));
        return;
    }
    Image image;
    image.source = task->local ? Image::Source::file : Image::Source::remote;
    image.name = task->source;
    image.bytes = std::make_shared<const std::string>(bytes);
    image.pixelWidth = info->width;
    image.pixelHeight = info->height;
    if (!task->local) cache_.store(task->source, image);
    ImageLoadResult result;
    result.image = std::move(image);
    deliver(task, std::move(result));
}

void ImageLoader::deliverLater(std::shared_ptr<Task> task, ImageLoadResult result) {
    std::weak_ptr<bool> alive = alive_;
    env_.loop().post([this, alive, task, result = std::move(result)]() mutable {
        if (alive.lock()) deliver(task, std::move(result));
    });
}

void ImageLoader::deliver(const std::shared_ptr<Task>& task, ImageLoadResult result) {
    auto view = task->view.lock();
    if (view) {
        auto it = latest_.find(view.get());
        bool current = it != latest_.end() && it->second.second == task->id;
        if (current) {
            latest_.erase(it);
        } else if (result.image) {
            result = failure(ImageLoadError::Kind::superseded, "A newer picture was asked for this image view");
        }
    }
    bool shown = view && result.succeeded();
    double fade = shown ? task->options.fadeDuration : 0;
    if (shown) view->setImage(result.image);

    if (auto* record = recordOf(*task)) {
        record->result = result;
        if (shown) record->fadeEndsAt = env_.loop().now() + fade;
    }
    if (!task->completion) return;
    if (fade > 0) {
        env_.loop().postAfter(fade, [completion = task->completion, result] { completion(result); });
    } else if (result.fromCache) {
        // A cached picture is shown at once; its completion still waits for the next turn.
        env_.loop().post([completion = task->completion, result] { completion(result); });
    } else {
        task->completion(result);
    }
}

const ImageLoadRecord* ImageLoader::lastLoadInto(const ImageView& view) const {
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        auto v = it->view.lock();
        if (v.get() == &view) return &*it;
    }
    return nullptr;
}

}  // namespace tq
