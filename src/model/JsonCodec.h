#pragma once

// The machinery behind reading and writing the records (internal to the model: it brings in
// simdjson). Each record declares its fields once, in its own .cpp, as a FieldTable of
// (key, member) pairs; the kind of each field follows from the member's type through Codec<T>,
// and reading, writing and the list of keys all come from that one table.
//
// Reading rules, shared by every record:
// - a key the record does not name is ignored;
// - null means absent (for an optional field it clears it, for a required one it counts as missing);
// - a present value of the wrong JSON type fails the record, and with it everything that encloses it;
// - when a key appears twice in one object the last one wins, also over an earlier bad value.

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/JsonWriter.h"
#include "model/Organisation.h"
#include "model/PoiContent.h"
#include "model/PointOfInterest.h"
#include "model/Regions.h"
#include "model/Replies.h"
#include "model/Tour.h"

namespace tq::json_detail {

using Element = simdjson::dom::element;

// Where reading or writing failed ("results[2].poi[0].lat") and why. The path is built while the
// failure travels outwards, so the success path pays nothing for it.
struct FieldError {
    std::string path;
    std::string message;

    void prependKey(std::string_view key);
    void prependIndex(std::size_t index);
    std::string describe() const;
};

// Fills `error` with "expected <expected>, found <what the element is>" and returns false.
bool failExpected(FieldError& error, std::string_view expected, Element found);
bool failWith(FieldError& error, std::string message);

bool readText(Element element, std::string& out, FieldError& error);
bool readWholeNumber(Element element, std::int64_t& out, FieldError& error);
bool readNumber(Element element, double& out, FieldError& error);
bool readFloat(Element element, float& out, FieldError& error);

// The smallest magnitude that rounds to infinity as a float (FLT_MAX plus half its last step).
inline constexpr double kBeyondFloat = 0x1.ffffffp127;

template <class T>
struct Codec;

// Specialised for each record type with a `static const FieldTable<R>& table()`.
template <class R>
struct RecordFields {};

template <class R>
concept Record = requires { RecordFields<R>::table(); };

// ---- one field of a record ----

template <auto Member>
struct FieldDecl {
    std::string_view key;
};

template <class M>
struct MemberOf;
template <class R, class T>
struct MemberOf<T R::*> {
    using type = T;
};

template <class R>
struct FieldEntry {
    std::string_view key;
    bool required;
    bool (*read)(Element, R&, FieldError&);
    bool (*write)(JsonWriter&, std::string_view key, const R&, FieldError&);
    void (*reset)(R&);
    // For a text of a tour, its number in the tour's store: read in place, without the call
    // through `read`, as tours carry most of a reply's fields. -1 for every other field.
    int tourText = -1;
};

template <class T>
inline constexpr int tourTextNumber = -1;
template <unsigned Field>
inline constexpr int tourTextNumber<TourText<Field>> = static_cast<int>(Field);

template <class R, auto Member>
FieldEntry<R> makeEntry(FieldDecl<Member> decl) {
    using T = typename MemberOf<decltype(Member)>::type;
    return FieldEntry<R>{
        decl.key,
        Codec<T>::required,
        [](Element element, R& record, FieldError& error) { return Codec<T>::read(element, record.*Member, error); },
        [](JsonWriter& writer, std::string_view key, const R& record, FieldError& error) {
            const T& value = record.*Member;
            if (!Codec<T>::present(value)) return true;
            writer.key(key);
            if (Codec<T>::write(writer, value, error)) return true;
            error.prependKey(key);
            return false;
        },
        [](R& record) { Codec<T>::reset(record.*Member); },
        tourTextNumber<T>,
    };
}

// Reading a reply looks up every key of every object, so the lookup must not walk the key: a
// handful of its bytes and its length, multiplied by a seed chosen for this table so that the
// table's own keys land in distinct slots, find the one entry to compare with.
[[gnu::always_inline]] inline std::uint64_t keySample(std::string_view key) {
    const std::size_t n = key.size();
    if (n == 0) return 0;
    const auto at = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(key[i])}; };
    return (n | at(0) << 8 | at(n - 1) << 16 | at(n / 2) << 24 | at(n >= 2 ? n - 2 : 0) << 32 |
            at(n / 3) << 40) + 1;
}

// How far ahead of the key being read the parser's texts are fetched into the cache.
inline constexpr std::size_t kKeyPrefetchDistance = 2048;

// Equal texts, compared with a few word loads for the lengths keys have, all within both texts.
inline bool sameKey(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    const auto word = [](std::string_view text, std::size_t at) {
        std::uint64_t value;
        std::memcpy(&value, text.data() + at, sizeof value);
        return value;
    };
    const auto half = [](std::string_view text, std::size_t at) {
        std::uint32_t value;
        std::memcpy(&value, text.data() + at, sizeof value);
        return value;
    };
    if (n >= 8 && n <= 16) return word(a, 0) == word(b, 0) && word(a, n - 8) == word(b, n - 8);
    if (n > 16 && n <= 24) {
        return word(a, 0) == word(b, 0) && word(a, 8) == word(b, 8) && word(a, n - 8) == word(b, n - 8);
    }
    if (n >= 4 && n < 8) return half(a, 0) == half(b, 0) && half(a, n - 4) == half(b, n - 4);
    return a == b;
}

// The field list of one record, in declaration order, with a small hash index of the keys.
template <class R>
class FieldTable {
public:
    template <auto... Members>
    explicit FieldTable(FieldDecl<Members>... decls) : entries_{makeEntry<R>(decls)...} {
        buildIndex();
    }

    bool read(Element element, R& out, FieldError& error) const;
    bool write(JsonWriter& writer, const R& record, FieldError& error) const;
    std::vector<std::string_view> keys() const;

private:
    std::size_t slotOf(std::string_view key) const { return keySample(key) * seed_ >> shift_; }
    void buildIndex();
    bool placeAll(std::uint64_t seed, unsigned bits);
    [[gnu::always_inline]] const FieldEntry<R>* find(std::string_view key) const;
    static bool keyRepeatsLater(simdjson::dom::object::iterator it, simdjson::dom::object::iterator end,
                                std::string_view key);

    std::vector<FieldEntry<R>> entries_;
    std::vector<std::uint16_t> slots_;  // entry index + 1; 0 is an empty slot
    std::size_t mask_ = 0;
    std::uint64_t seed_ = 0;
    unsigned shift_ = 0;
    std::uint64_t requiredMask_ = 0;
};

// Declares a record's field list; the pointer-to-member names the member, the key is its name
// (or given explicitly where the key is no C++ name, as "long").
#define TQ_FIELD(Record, member) ::tq::json_detail::FieldDecl<&Record::member>{#member}
#define TQ_FIELD_KEY(Record, member, key) ::tq::json_detail::FieldDecl<&Record::member>{key}

#define TQ_DECLARE_RECORD(R)                   \
    template <>                                \
    struct RecordFields<R> {                   \
        static const FieldTable<R>& table();   \
    };

TQ_DECLARE_RECORD(Country)
TQ_DECLARE_RECORD(State)
TQ_DECLARE_RECORD(City)
TQ_DECLARE_RECORD(Filter)
TQ_DECLARE_RECORD(Inter)
TQ_DECLARE_RECORD(TourMetaCustomMap)
TQ_DECLARE_RECORD(Tour)
TQ_DECLARE_RECORD(Organisation)
TQ_DECLARE_RECORD(PointOfInterest)
TQ_DECLARE_RECORD(PoiContent)
TQ_DECLARE_RECORD(MetaData)
TQ_DECLARE_RECORD(MetaDataSizeString)
TQ_DECLARE_RECORD(PoiMap)
TQ_DECLARE_RECORD(Rating)
TQ_DECLARE_RECORD(TourIDUpdateResult)
TQ_DECLARE_RECORD(Language)
TQ_DECLARE_RECORD(TourUpdatePost)
TQ_DECLARE_RECORD(UpdatePost)

template <class Results>
struct RecordFields<ReplyEnvelope<Results>> {
    static const FieldTable<ReplyEnvelope<Results>>& table() {
        using Envelope = ReplyEnvelope<Results>;
        static const FieldTable<Envelope> fields{TQ_FIELD(Envelope, results), TQ_FIELD(Envelope, status)};
        return fields;
    }
};

// ---- codecs: how each kind of member is read and written ----

template <>
struct Codec<std::string> {
    static constexpr bool required = true;
    static bool read(Element e, std::string& out, FieldError& error) { return readText(e, out, error); }
    static bool present(const std::string&) { return true; }
    static bool write(JsonWriter& w, const std::string& value, FieldError&) {
        w.string(value);
        return true;
    }
    static void reset(std::string& value) { value.clear(); }
};

template <>
struct Codec<double> {
    static constexpr bool required = true;
    static bool read(Element e, double& out, FieldError& error) { return readNumber(e, out, error); }
    static bool present(double) { return true; }
    static bool write(JsonWriter& w, double value, FieldError& error) {
        return w.number(value) || failWith(error, "cannot write a number that is not finite");
    }
    static void reset(double& value) { value = 0; }
};

template <>
struct Codec<float> {
    static constexpr bool required = true;
    static bool read(Element e, float& out, FieldError& error) { return readFloat(e, out, error); }
    static bool present(float) { return true; }
    static bool write(JsonWriter& w, float value, FieldError& error) {
        return w.number(value) || failWith(error, "cannot write a number that is not finite");
    }
    static void reset(float& value) { value = 0; }
};

template <>
struct Codec<std::int64_t> {
    static constexpr bool required = true;
    static bool read(Element e, std::int64_t& out, FieldError& error) { return readWholeNumber(e, out, error); }
    static bool present(std::int64_t) { return true; }
    static bool write(JsonWriter& w, std::int64_t value, FieldError&) {
        w.integer(value);
        return true;
    }
    static void reset(std::int64_t& value) { value = 0; }
};

// Enumerations travel as their integer; an integer outside the enumeration fails the reading.
template <class E, std::optional<E> (*FromRaw)(std::int64_t), const char* Expected>
struct EnumCodec {
    static constexpr bool required = true;
    static bool read(Element e, E& out, FieldError& error) {
        std::int64_t raw = 0;
        if (!readWholeNumber(e, raw, error)) return false;
        auto value = FromRaw(raw);
        if (!value) return failWith(error, std::string("expected ") + Expected + ", found " + std::to_string(raw));
        out = *value;
        return true;
    }
    static bool present(E) { return true; }
    static bool write(JsonWriter& w, E value, FieldError&) {
        w.integer(static_cast<std::int64_t>(value));
        return true;
    }
    static void reset(E&) {}
};

inline constexpr char kContentTypeExpected[] = "a content type 0 to 5";
inline constexpr char kRegionTypeExpected[] = "a region type 0 to 2";
template <>
struct Codec<ContentType> : EnumCodec<ContentType, &contentTypeFromRaw, kContentTypeExpected> {};
template <>
struct Codec<RegionType> : EnumCodec<RegionType, &regionTypeFromInt, kRegionTypeExpected> {};

template <class T>
struct Codec<std::optional<T>> {
    static constexpr bool required = false;
    static bool read(Element e, std::optional<T>& out, FieldError& error) {
        if (e.is_null()) {
            out.reset();
            return true;
        }
        if (!out) out.emplace();
        return Codec<T>::read(e, *out, error);
    }
    static bool present(const std::optional<T>& value) { return value.has_value(); }
    static bool write(JsonWriter& w, const std::optional<T>& value, FieldError& error) {
        return Codec<T>::write(w, *value, error);
    }
    static void reset(std::optional<T>& value) { value.reset(); }
};

// Texts are the bulk of every reply: read straight into the optional, without a detour through
// an empty string.
template <>
struct Codec<std::optional<std::string>> {
    static constexpr bool required = false;
    static bool read(Element e, std::optional<std::string>& out, FieldError& error) {
        std::string_view text;
        if (e.get_string().get(text)) {
            if (e.is_null()) {
                out.reset();
                return true;
            }
            return failExpected(error, "a text", e);
        }
        if (out) {
            out->assign(text);
        } else {
            out.emplace(text);
        }
        return true;
    }
    static bool present(const std::optional<std::string>& value) { return value.has_value(); }
    static bool write(JsonWriter& w, const std::optional<std::string>& value, FieldError&) {
        w.string(*value);
        return true;
    }
    static void reset(std::optional<std::string>& value) { value.reset(); }
};

template <class T>
bool writeList(JsonWriter& w, const std::vector<T>& values, FieldError& error) {
    w.beginArray();
    for (std::size_t i = 0; i < values.size(); ++i) {
        // An element without a value is left out: the writer never writes null.
        if (!Codec<T>::present(values[i])) continue;
        if (!Codec<T>::write(w, values[i], error)) {
            error.prependIndex(i);
            return false;
        }
    }
    w.endArray();
    return true;
}

template <class T>
struct Codec<std::vector<T>> {
    static constexpr bool required = true;
    static bool read(Element e, std::vector<T>& out, FieldError& error) {
        simdjson::dom::array array;
        if (e.get_array().get(array)) return failExpected(error, "an array", e);
        out.clear();
        out.reserve(array.size());
        std::size_t index = 0;
        for (Element item : array) {
            out.emplace_back();
            if (!Codec<T>::read(item, out.back(), error)) {
                error.prependIndex(index);
                return false;
            }
            ++index;
        }
        return true;
    }
    static bool present(const std::vector<T>&) { return true; }
    static bool write(JsonWriter& w, const std::vector<T>& values, FieldError& error) {
        return writeList(w, values, error);
    }
    static void reset(std::vector<T>& values) { values.clear(); }
};

// Shared records: a fresh object for each reading; a null pointer is an absent value.
template <Record R>
struct Codec<std::shared_ptr<R>> {
    static constexpr bool required = false;
    static bool read(Element e, std::shared_ptr<R>& out, FieldError& error) {
        // Every member of a record starts from its own initialiser, so default-initialising is
        // the same as value-initialising, without first zeroing the record.
        auto record = std::make_shared_for_overwrite<R>();
        if (!RecordFields<R>::table().read(e, *record, error)) return false;
        out = std::move(record);
        return true;
    }
    static bool present(const std::shared_ptr<R>& value) { return value != nullptr; }
    static bool write(JsonWriter& w, const std::shared_ptr<R>& value, FieldError& error) {
        return RecordFields<R>::table().write(w, *value, error);
    }
    static void reset(std::shared_ptr<R>& value) { value.reset(); }
};

// The fields of a tour, read through its store (see TourFields.h).
template <unsigned Field>
struct Codec<TourText<Field>> {
    static constexpr bool required = false;
    static bool read(Element e, TourText<Field>& out, FieldError& error) {
        std::string_view text;
        if (e.get_string().get(text)) {
            if (e.is_null()) {
                out.store().readNull(Field);
                return true;
            }
            return failExpected(error, "a text", e);
        }
        out.store().readText(Field, text);
        return true;
    }
    static bool present(const TourText<Field>& value) { return value.has_value(); }
    static bool write(JsonWriter& w, const TourText<Field>& value, FieldError&) {
        w.string(value.store().text(Field));
        return true;
    }
    static void reset(TourText<Field>& value) { value.store().readNull(Field); }
};

template <auto Member>
struct Codec<TourList<Member>> {
    using Optional = typename TourList<Member>::Optional;
    static constexpr bool required = false;
    static bool read(Element e, TourList<Member>& out, FieldError& error) {
        return Codec<Optional>::read(e, out.mutableGet(), error);
    }
    static bool present(const TourList<Member>& value) { return value.has_value(); }
    static bool write(JsonWriter& w, const TourList<Member>& value, FieldError& error) {
        return Codec<Optional>::write(w, value.get(), error);
    }
    static void reset(TourList<Member>& value) { value.reset(); }
};

// Tours are read together: all the tours of one array, and their texts, are allocated at once
// and shared (Tour.cpp).
bool readTours(Element element, std::vector<TourRef>& out, FieldError& error);
// What readTours hands each tour of an array to as soon as the tour is read; none unless the
// reading was asked through decodeToursReply with a visitor (Json.cpp).
extern thread_local const std::function<void(Tour&)>* eachTourRead;
bool readTour(Element element, TourRef& out, FieldError& error);

template <>
struct Codec<std::vector<TourRef>> {
    static constexpr bool required = true;
    static bool read(Element e, std::vector<TourRef>& out, FieldError& error) { return readTours(e, out, error); }
    static bool present(const std::vector<TourRef>&) { return true; }
    static bool write(JsonWriter& w, const std::vector<TourRef>& values, FieldError& error) {
        return writeList(w, values, error);
    }
    static void reset(std::vector<TourRef>& values) { values.clear(); }
};

template <>
struct Codec<TourRef> {
    static constexpr bool required = false;
    static bool read(Element e, TourRef& out, FieldError& error) { return readTour(e, out, error); }
    static bool present(const TourRef& value) { return value != nullptr; }
    static bool write(JsonWriter& w, const TourRef& value, FieldError& error) {
        return RecordFields<Tour>::table().write(w, *value, error);
    }
    static void reset(TourRef& value) { value.reset(); }
};

template <Record R>
struct Codec<R> {
    static constexpr bool required = true;
    static bool read(Element e, R& out, FieldError& error) { return RecordFields<R>::table().read(e, out, error); }
    static bool present(const R&) { return true; }
    static bool write(JsonWriter& w, const R& value, FieldError& error) {
        return RecordFields<R>::table().write(w, value, error);
    }
    static void reset(R& value) { value = R{}; }
};

// ---- FieldTable ----

template <class R>
void FieldTable<R>::buildIndex() {
    for (std::size_t i = 0; i < entries_.size() && i < 64; ++i) {
        // Required fields are tracked in one 64-bit mask; records with required fields are small.
        if (entries_[i].required) requiredMask_ |= std::uint64_t{1} << i;
    }
    unsigned bits = 3;
    while ((std::size_t{1} << bits) < entries_.size() * 4) ++bits;
    // Seeds come from a fixed sequence, so every run builds the same index. Should no seed spread
    // the keys apart, the last one is kept and colliding keys probe the next slots.
    std::uint64_t seed = 0x9e3779b97f4a7c15ull;
    for (unsigned tries = 0;; ++tries) {
        if (placeAll(seed | 1, bits)) return;
        if (tries % 256 == 255 && bits < 12) ++bits;
        if (tries == 2048) break;
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    }
    placeAll(seed | 1, bits);
}

// Places every key; returns whether each found a slot of its own.
template <class R>
bool FieldTable<R>::placeAll(std::uint64_t seed, unsigned bits) {
    seed_ = seed;
    shift_ = 64 - bits;
    mask_ = (std::size_t{1} << bits) - 1;
    slots_.assign(mask_ + 1, 0);
    bool distinct = true;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t slot = slotOf(entries_[i].key);
        if (slots_[slot] != 0) distinct = false;
        while (slots_[slot] != 0) slot = (slot + 1) & mask_;
        slots_[slot] = static_cast<std::uint16_t>(i + 1);
    }
    return distinct;
}

template <class R>
[[gnu::always_inline]] inline const FieldEntry<R>* FieldTable<R>::find(std::string_view key) const {
    for (std::size_t slot = slotOf(key); slots_[slot] != 0; slot = (slot + 1) & mask_) {
        const auto& entry = entries_[slots_[slot] - 1];
        if (sameKey(entry.key, key)) return &entry;
    }
    return nullptr;
}

template <class R>
bool FieldTable<R>::keyRepeatsLater(simdjson::dom::object::iterator it, simdjson::dom::object::iterator end,
                                    std::string_view key) {
    for (++it; it != end; ++it) {
        if (it.key_equals(key)) return true;
    }
    return false;
}

template <class R>
bool FieldTable<R>::read(Element element, R& out, FieldError& error) const {
    simdjson::dom::object object;
    if (element.get_object().get(object)) return failExpected(error, "an object", element);
    std::uint64_t seen = 0;
    const auto end = object.end();
    for (auto it = object.begin(); it != end; ++it) {
        const std::string_view key = it.key();
        // The parser lays keys and texts out one after another, and by the time a large reply is
        // walked they have left the cache: asking for what lies a little ahead hides most of the
        // wait (a tenth of the walk on a catalogue). A prefetch never faults, even past the end.
        __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(key.data()) +
                                                         kKeyPrefetchDistance));
        const FieldEntry<R>* field = find(key);
        if (!field) continue;
        const Element value = it.value();
        if constexpr (std::is_same_v<R, Tour>) {
            std::string_view text;
            if (field->tourText >= 0 && !value.get_string().get(text)) {
                out.store.readText(static_cast<unsigned>(field->tourText), text);
                continue;
            }
        }
        const std::uint64_t bit = std::uint64_t{1} << ((field - entries_.data()) & 63);
        if (value.is_null()) {
            if (field->required) {
                seen &= ~bit;
            } else {
                field->reset(out);
            }
            continue;
        }
        if (!field->read(value, out, error)) {
            if (keyRepeatsLater(it, end, key)) {
                error = FieldError{};
                continue;
            }
            error.prependKey(key);
            return false;
        }
        seen |= bit;
    }
    if ((seen & requiredMask_) != requiredMask_) {
        for (std::size_t i = 0; i < entries_.size() && i < 64; ++i) {
            if ((requiredMask_ >> i & 1) && !(seen >> i & 1)) {
                error = FieldError{std::string(entries_[i].key), "required, but missing or null"};
                return false;
            }
        }
    }
    return true;
}

template <class R>
bool FieldTable<R>::write(JsonWriter& writer, const R& record, FieldError& error) const {
    writer.beginObject();
    for (const auto& entry : entries_) {
        if (!entry.write(writer, entry.key, record, error)) return false;
    }
    writer.endObject();
    return true;
}

template <class R>
std::vector<std::string_view> FieldTable<R>::keys() const {
    std::vector<std::string_view> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) keys.push_back(entry.key);
    return keys;
}

}  // namespace tq::json_detail
