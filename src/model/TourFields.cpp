#include "model/TourFields.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "model/Tour.h"

#if defined(__SANITIZE_ADDRESS__)
#define TQ_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TQ_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef TQ_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace tq {
namespace {

constexpr std::size_t kBlockAlignment = alignof(std::uint32_t);
constexpr std::size_t kLargestChunk = std::size_t{4} << 20;

std::size_t roundUp(std::size_t bytes) { return (bytes + kBlockAlignment - 1) & ~(kBlockAlignment - 1); }

// Calls `visit(field)` for every field set in `present`, in field order.
template <class Visit>
void forEachField(const std::uint64_t (&present)[2], Visit visit) {
    for (unsigned word = 0; word < 2; ++word) {
        for (std::uint64_t bits = present[word]; bits != 0; bits &= bits - 1) {
            visit(word * 64 + static_cast<unsigned>(std::countr_zero(bits)));
        }
    }
}

// Most texts of a tour are short: copied with a pair of fixed-size moves that may overlap rather
// than a call per text.
inline void copyText(std::byte* to, std::string_view text) {
    const std::size_t n = text.size();
    const char* from = text.data();
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n > 16 && n <= 32) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        std::memcpy(to, from, n);
    }
}

std::size_t countOf(const std::uint64_t (&present)[2]) {
    return static_cast<std::size_t>(std::popcount(present[0]) + std::popcount(present[1]));
}

}  // namespace

// ---- TourTextArena ----

namespace {

// The chunks of released replies, shared by every thread (a reply may be released on another
// thread than the one that read it). Bounded like the parser's own buffers: enough for the
// largest catalogue the client accepts.
class SpareChunks {
public:
    static constexpr std::size_t kKeptBytes = std::size_t{256} << 20;

    // A kept chunk of at least `least` bytes and at most `most`, or null.
    void* take(std::size_t least, std::size_t most, std::size_t& size) {
        std::lock_guard lock(mutex_);
        for (auto it = chunks_.begin(); it != chunks_.end(); ++it) {
            if (it->size < least || it->size > most) continue;
            void* chunk = it->memory;
            size = it->size;
#ifdef TQ_ADDRESS_SANITIZER
            ASAN_UNPOISON_MEMORY_REGION(chunk, size);
#endif
            keptBytes_ -= size;
            chunks_.erase(it);
            return chunk;
        }
        return nullptr;
    }

    // Keeps `chunk` for a later reply, or frees it once the bound is reached (or when there is
    // no room to note it: this runs while a reply is destroyed, and must not throw).
    void give(void* chunk, std::size_t size) noexcept {
        {
            std::lock_guard lock(mutex_);
            if (keptBytes_ + size <= kKeptBytes && noteKept(chunk, size)) {
#ifdef TQ_ADDRESS_SANITIZER
                // A tour read after its reply was released must still show up as a use after free.
                ASAN_POISON_MEMORY_REGION(chunk, size);
#endif
                keptBytes_ += size;
                return;
            }
        }
        ::operator delete(chunk);
    }

    void releaseAll() {
        std::vector<Kept> released;
        {
            std::lock_guard lock(mutex_);
            released.swap(chunks_);
            keptBytes_ = 0;
        }
        for (const Kept& kept : released) {
#ifdef TQ_ADDRESS_SANITIZER
            ASAN_UNPOISON_MEMORY_REGION(kept.memory, kept.size);
#endif
            ::operator delete(kept.memory);
        }
    }

private:
    struct Kept {
        void* memory;
        std::size_t size;
    };

    bool noteKept(void* chunk, std::size_t size) noexcept {
        try {
            chunks_.push_back({chunk, size});
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    std::mutex mutex_;
    std::vector<Kept> chunks_;
    std::size_t keptBytes_ = 0;
};

// Never destroyed: arenas may still be released while the program exits.
SpareChunks& spareChunks() {
    static auto* spare = new SpareChunks;
    return *spare;
}

}  // namespace

TourTextArena::~TourTextArena() {
    while (chunks_) {
        Chunk* previous = chunks_->previous;
        spareChunks().give(chunks_, chunks_->size);
        chunks_ = previous;
    }
}

void TourTextArena::releaseSpareChunks() { spareChunks().releaseAll(); }

void* TourTextArena::allocate(std::size_t bytes) {
    bytes = roundUp(bytes);
    if (bytes > left_) {
        // Chunks grow with the reply, so a large one takes a few dozen of them; one far larger
        // than the others is never wasted on a small reply (nor a kept one: a single tour kept
        // for long must not hold a chunk sized for a whole catalogue). Pages of a chunk not yet
        // reached are never touched.
        const std::size_t header = roundUp(sizeof(Chunk));
        std::size_t size = std::max(nextChunkSize_, bytes + header);
        void* memory = spareChunks().take(bytes + header, 2 * size, size);
        if (!memory) memory = ::operator new(size);
        auto* chunk = static_cast<Chunk*>(memory);
        chunk->previous = chunks_;
        chunk->size = size;
        chunks_ = chunk;
        next_ = reinterpret_cast<std::byte*>(chunk) + header;
        left_ = size - header;
        nextChunkSize_ = std::min(nextChunkSize_ * 2, kLargestChunk);
    }
    void* at = next_;
    next_ += bytes;
    left_ -= bytes;
    return at;
}

// ---- TourFields ----

TourFields::TourFields(const TourFields& other) { *this = other; }

TourFields& TourFields::operator=(const TourFields& other) {
    if (this == &other) return *this;
    const Slot* block = nullptr;
    if (countOf(other.present_) > 0) {
        block = layOut(other.present_, [&](unsigned field) { return other.text(field); },
                       [](std::size_t bytes) { return ::operator new(bytes); });
    }
    std::unique_ptr<TourLists> lists = other.lists_ ? std::make_unique<TourLists>(*other.lists_) : nullptr;
    release();
    present_[0] = other.present_[0];
    present_[1] = other.present_[1];
    block_ = block;
    storage_ = block ? Storage::owned : Storage::none;
    lists_ = std::move(lists);
    return *this;
}

TourFields::~TourFields() { release(); }

void TourFields::release() {
    if (storage_ == Storage::owned) ::operator delete(const_cast<Slot*>(block_));
    block_ = nullptr;
    storage_ = Storage::none;
}

std::size_t TourFields::rank(unsigned field) const {
    const std::uint64_t below = (std::uint64_t{1} << (field & 63)) - 1;
    if (field < 64) return static_cast<std::size_t>(std::popcount(present_[0] & below));
    return static_cast<std::size_t>(std::popcount(present_[0]) + std::popcount(present_[1] & below));
}

std::string_view TourFields::text(unsigned field) const {
    if (!hasText(field)) return {};
    if (storage_ == Storage::draft) return draft_->texts[field];
    const Slot& slot = block_[rank(field)];
    return {reinterpret_cast<const char*>(block_) + slot.offset, slot.size};
}

// Writes the slots and then the texts of the fields in `present` into one piece of memory.
template <class TextOf, class Allocate>
const TourFields::Slot* TourFields::layOut(const std::uint64_t (&present)[2], TextOf textOf, Allocate allocate) {
    const std::size_t count = countOf(present);
    std::size_t bytes = count * sizeof(Slot);
    forEachField(present, [&](unsigned field) { bytes += textOf(field).size(); });
    auto* start = static_cast<std::byte*>(allocate(bytes));
    auto* slots = reinterpret_cast<Slot*>(start);
    std::size_t offset = count * sizeof(Slot);
    std::size_t index = 0;
    forEachField(present, [&](unsigned field) {
        const std::string_view text = textOf(field);
        copyText(start + offset, text);
        slots[index++] = Slot{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(text.size())};
        offset += text.size();
    });
    return slots;
}

// A change never writes into the block it replaces: that block may belong to the reply's arena,
// shared with every other tour of the reply. The tour moves to a block of its own instead.
void TourFields::replaceBlock(const std::uint64_t (&present)[2], unsigned changed, std::string_view changedText) {
    const Slot* block = nullptr;
    if (countOf(present) > 0) {
        block = layOut(present, [&](unsigned field) { return field == changed ? changedText : text(field); },
                       [](std::size_t bytes) { return ::operator new(bytes); });
    }
    release();
    present_[0] = present[0];
    present_[1] = present[1];
    block_ = block;
    storage_ = block ? Storage::owned : Storage::none;
}

void TourFields::setText(unsigned field, std::string_view text) {
    if (storage_ == Storage::draft) return readText(field, text);
    std::uint64_t present[2] = {present_[0], present_[1]};
    present[field >> 6] |= std::uint64_t{1} << (field & 63);
    replaceBlock(present, field, text);
}

void TourFields::clearText(unsigned field) {
    if (storage_ == Storage::draft) return readNull(field);
    if (!hasText(field)) return;
    std::uint64_t present[2] = {present_[0], present_[1]};
    present[field >> 6] &= ~(std::uint64_t{1} << (field & 63));
    replaceBlock(present, field, {});
}

TourLists& TourFields::lists() {
    if (!lists_) lists_ = std::make_unique<TourLists>();
    return *lists_;
}

void TourFields::beginDraft(TourDraft& draft) {
    release();
    present_[0] = 0;
    present_[1] = 0;
    draft_ = &draft;
    storage_ = Storage::draft;
}

void TourFields::readNull(unsigned field) {
    if (storage_ != Storage::draft) return clearText(field);
    present_[field >> 6] &= ~(std::uint64_t{1} << (field & 63));
}

void TourFields::finishDraft(TourTextArena& arena) {
    TourDraft& draft = *draft_;
    const Slot* block = nullptr;
    if (countOf(present_) > 0) {
        block = layOut(present_, [&](unsigned field) { return draft.texts[field]; },
                       [&](std::size_t bytes) { return arena.allocate(bytes); });
    }
    block_ = block;
    storage_ = block ? Storage::arena : Storage::none;
}

}  // namespace tq
