#pragma once

// How a tour holds its fields. A catalogue can bring hundreds of thousands of tours, most of them
// carrying a handful of its 88 fields, so a tour keeps only the texts it has, packed in one block,
// and its few fields that are not texts (lists, the city, the rating) in a record of their own
// that exists only when one of them is present.
//
// Each named field of a Tour is an empty member (a "field handle") that reads and writes that
// store. Handles take no room: they all sit at the address of the tour, where its TourFields is,
// which is how they find it. They read like std::optional: `if (tour->title)`,
// `tour->title.value_or("")`, `*tour->title`, `tour->title->size()`, `tour->title = "..."`,
// `tour->title = std::nullopt`, comparison with a text, an optional text or another field.
// A text is returned by value: keep the returned string, not a view into it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tq {

struct TourLists;

// The block memory of the tours of one reply: a tour's texts go in one piece each, bump-allocated
// from a few large chunks that are released all at once, with the reply.
//
// A screen replaces its catalogue with the next reply of about the same size, so the chunks of a
// released reply are kept for the next one (up to a bound) instead of going back to the system:
// fresh memory costs a page fault and the zeroing of every page it touches, about a tenth of a
// whole decode.
class TourTextArena {
public:
    TourTextArena() = default;
    TourTextArena(const TourTextArena&) = delete;
    TourTextArena& operator=(const TourTextArena&) = delete;
    ~TourTextArena();

    // `bytes` of memory aligned for a TourFields block; valid as long as the arena.
    void* allocate(std::size_t bytes);

    // Hands the kept chunks of released replies back to the system.
    static void releaseSpareChunks();

private:
    struct Chunk {
        Chunk* previous;
        std::size_t size;
    };
    Chunk* chunks_ = nullptr;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t nextChunkSize_ = 64 * 1024;
};

// The texts a tour is given while its JSON object is read: views into the parser's memory, by
// field, until the object is complete and they are copied into the reply's arena together.
struct TourDraft {
    static constexpr unsigned kMaxTexts = 128;
    std::string_view texts[kMaxTexts];  // read only where the store marks the field present
};

class TourFields {
public:
    static constexpr unsigned kMaxTexts = TourDraft::kMaxTexts;

    TourFields() = default;
    // A copy holds its texts in memory of its own, whatever the original used.
    TourFields(const TourFields& other);
    TourFields& operator=(const TourFields& other);
    ~TourFields();

    bool hasText(unsigned field) const { return present_[field >> 6] >> (field & 63) & 1; }
    // The text of a field; empty when absent.
    std::string_view text(unsigned field) const;
    void setText(unsigned field, std::string_view text);
    void clearText(unsigned field);

    // The fields that are not texts: null until one of them is set, then created by lists().
    const TourLists* findLists() const { return lists_.get(); }
    TourLists& lists();

    // Reading from JSON: between beginDraft and finishDraft, texts are gathered in `draft`
    // (which must outlive the reading) and then laid out in one block of `arena`. The arena must
    // outlive the store: the tours of a reply and their arena live and die together.
    void beginDraft(TourDraft& draft);
    void finishDraft(TourTextArena& arena);
    void readText(unsigned field, std::string_view text) {
        if (storage_ != Storage::draft) return setText(field, text);
        present_[field >> 6] |= std::uint64_t{1} << (field & 63);
        draft_->texts[field] = text;
    }
    void readNull(unsigned field);

private:
    // Where one text sits in the block, counted from the block's start.
    struct Slot {
        std::uint32_t offset;
        std::uint32_t size;
    };
    enum class Storage : std::uint8_t { none, arena, owned, draft };

    std::size_t rank(unsigned field) const;
    template <class TextOf, class Allocate>
    static const Slot* layOut(const std::uint64_t (&present)[2], TextOf textOf, Allocate allocate);
    void replaceBlock(const std::uint64_t (&present)[2], unsigned changed, std::string_view changedText);
    void release();

    std::uint64_t present_[2] = {0, 0};
    union {
        const Slot* block_ = nullptr;  // `count` slots, then the texts (Storage arena and owned)
        TourDraft* draft_;              // Storage draft
    };
    std::unique_ptr<TourLists> lists_;
    Storage storage_ = Storage::none;
};

namespace tour_fields {

// Every handle finds its tour's store at its own address (see above).
inline const TourFields& storeAt(const void* handle) { return *static_cast<const TourFields*>(handle); }
inline TourFields& storeAt(void* handle) { return *static_cast<TourFields*>(handle); }

// What `tour->text->size()` goes through: the text, held until the end of the expression.
struct TextArrow {
    const std::string text;
    const std::string* operator->() const { return &text; }
};

template <class M>
struct MemberType;
template <class R, class T>
struct MemberType<T R::*> {
    using type = T;
};

}  // namespace tour_fields

// A text field of a tour, numbered `Field` in the tour's store.
template <unsigned Field>
class TourText {
    static_assert(Field < TourFields::kMaxTexts);

public:
    TourText() = default;
    // A field exists only inside its tour; copy its value instead (`std::optional<std::string>`).
    TourText(const TourText&) = delete;

    TourText& operator=(const TourText& other) { return *this = other.get(); }
    template <unsigned Other>
    TourText& operator=(const TourText<Other>& other) {
        return *this = other.get();
    }
    TourText& operator=(std::string_view text) {
        store().setText(Field, text);
        return *this;
    }
    TourText& operator=(const std::string& text) { return *this = std::string_view(text); }
    TourText& operator=(const char* text) { return *this = std::string_view(text); }
    TourText& operator=(std::nullopt_t) {
        reset();
        return *this;
    }
    TourText& operator=(const std::optional<std::string>& text) {
        if (text) return *this = std::string_view(*text);
        reset();
        return *this;
    }

    bool has_value() const { return store().hasText(Field); }
    explicit operator bool() const { return has_value(); }
    std::optional<std::string> get() const {
        if (!has_value()) return std::nullopt;
        return std::string(store().text(Field));
    }
    operator std::optional<std::string>() const { return get(); }

    // The text; empty when absent (where an optional would be undefined).
    const std::string operator*() const { return std::string(store().text(Field)); }
    // The text where it lies, without a copy; empty when absent. Valid until the tour changes.
    std::string_view view() const { return store().text(Field); }
    tour_fields::TextArrow operator->() const { return {std::string(store().text(Field))}; }
    const std::string value() const {
        if (!has_value()) throw std::bad_optional_access();
        return **this;
    }
    template <class Fallback>
    std::string value_or(Fallback&& fallback) const {
        if (!has_value()) return std::string(std::forward<Fallback>(fallback));
        return **this;
    }
    void emplace(std::string_view text) { *this = text; }
    void reset() { store().clearText(Field); }

    friend bool operator==(const TourText& a, std::nullopt_t) { return !a.has_value(); }
    friend bool operator==(const TourText& a, std::string_view b) {
        return a.has_value() && a.store().text(Field) == b;
    }
    friend bool operator==(const TourText& a, const std::string& b) { return a == std::string_view(b); }
    friend bool operator==(const TourText& a, const char* b) { return a == std::string_view(b); }
    friend bool operator==(const TourText& a, const std::optional<std::string>& b) {
        return b ? a == std::string_view(*b) : !a.has_value();
    }
    template <unsigned Other>
    friend bool operator==(const TourText& a, const TourText<Other>& b) {
        return b.has_value() ? a == b.store().text(Other) : !a.has_value();
    }

    const TourFields& store() const { return tour_fields::storeAt(this); }
    TourFields& store() { return tour_fields::storeAt(this); }
};

// A field of a tour that is not a text (`city`, `modes`, `rating`, `filter`, `inter`, `poi`): a
// std::optional held in the tour's TourLists, reached in place.
template <auto Member>
class TourList {
public:
    using Optional = typename tour_fields::MemberType<decltype(Member)>::type;
    using Value = typename Optional::value_type;

    TourList() = default;
    TourList(const TourList&) = delete;

    TourList& operator=(const TourList& other) { return *this = other.get(); }
    TourList& operator=(const Optional& value) {
        if (value || store().findLists()) mutableGet() = value;
        return *this;
    }
    TourList& operator=(Optional&& value) {
        if (value || store().findLists()) mutableGet() = std::move(value);
        return *this;
    }
    TourList& operator=(const Value& value) {
        mutableGet() = value;
        return *this;
    }
    TourList& operator=(Value&& value) {
        mutableGet() = std::move(value);
        return *this;
    }
    TourList& operator=(std::nullopt_t) {
        reset();
        return *this;
    }

    const Optional& get() const {
        static const Optional absent;
        const TourLists* lists = store().findLists();
        return lists ? lists->*Member : absent;
    }
    operator const Optional&() const { return get(); }

    bool has_value() const { return get().has_value(); }
    explicit operator bool() const { return has_value(); }
    const Value& operator*() const { return *get(); }
    Value& operator*() { return *mutableGet(); }
    const Value* operator->() const { return &*get(); }
    Value* operator->() { return &*mutableGet(); }
    const Value& value() const { return get().value(); }
    Value& value() { return mutableGet().value(); }
    template <class Fallback>
    Value value_or(Fallback&& fallback) const {
        return get().value_or(std::forward<Fallback>(fallback));
    }
    template <class... Args>
    Value& emplace(Args&&... args) {
        return mutableGet().emplace(std::forward<Args>(args)...);
    }
    void reset() {
        if (store().findLists()) mutableGet().reset();
    }

    friend bool operator==(const TourList& a, const TourList& b) { return a.get() == b.get(); }
    friend bool operator==(const TourList& a, const Optional& b) { return a.get() == b; }
    friend bool operator==(const TourList& a, const Value& b) { return a.get() == b; }
    friend bool operator==(const TourList& a, std::nullopt_t) { return !a.has_value(); }

    // The optional itself, created with the tour's TourLists when needed.
    Optional& mutableGet() { return store().lists().*Member; }
    const TourFields& store() const { return tour_fields::storeAt(this); }
    TourFields& store() { return tour_fields::storeAt(this); }
};

}  // namespace tq
