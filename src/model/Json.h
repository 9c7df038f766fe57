#pragma once

// Reading and writing the records from and to the web service's JSON.
//
//   auto reply = tq::decodeToursReply(bytes);        // a catalogue, search or full-tour reply
//   if (!reply) console.log(reply.error());           // "results[3].circuit_id: expected a text, found a whole number"
//   for (const tq::TourRef& tour : reply->results) ...
//
//   auto text = tq::encodeTour(*tour);                // compact JSON, "/" written as "\/"
//
// Reading is strict and all-or-nothing: null is absent, unknown keys are ignored, and a present
// value of the wrong JSON type (or invalid JSON, or invalid UTF-8) fails the whole text, with
// nothing applied. Writing leaves absent fields out and never writes null; it fails only on a
// number that is not finite.

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Organisation.h"
#include "model/PoiContent.h"
#include "model/PointOfInterest.h"
#include "model/Regions.h"
#include "model/Replies.h"
#include "model/Tour.h"

namespace tq {

// A value, or the reason there is none (naming the field that failed, as a path from the root).
template <class T>
class JsonResult {
public:
    JsonResult(T value) : value_(std::move(value)) {}
    static JsonResult failure(std::string error) {
        JsonResult result;
        result.error_ = std::move(error);
        return result;
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    // Throws std::bad_optional_access on a failed result.
    T& value() { return value_.value(); }
    const T& value() const { return value_.value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const std::string& error() const { return error_; }

private:
    JsonResult() = default;
    std::optional<T> value_;
    std::string error_;
};

// Reads a whole JSON text as T. T is one of the records (the shared ones as their Ref:
// TourRef, PointOfInterestRef, PoiContentRef, OrganisationRef), a reply envelope (ApiTour,
// ApiWorldMap, ApiPoiAround, ApiCountry, ApiState, ApiCity, ApiRating, UpdateTourList,
// UpdateTourListError), or a list of PoiMap, TourRef or PointOfInterestRef.
template <class T>
JsonResult<T> decodeJson(std::string_view text);
// The same for a whole string: when its spare capacity covers the parser's read-ahead
// (jsonReadAhead bytes past the end), it is read in place instead of copied first, which a large
// reply notices. The last overload keeps a literal from being ambiguous between the other two.
template <class T>
JsonResult<T> decodeJson(const std::string& text);
template <class T>
JsonResult<T> decodeJson(const char* text) {
    return decodeJson<T>(std::string_view(text));
}

// Writes T as compact JSON. T as for decodeJson, plus Tour, PointOfInterest, PoiContent,
// Organisation, TourUpdatePost and UpdatePost by value.
template <class T>
JsonResult<std::string> encodeJson(const T& value);

// The spare capacity past a string's end that lets decodeJson read it in place; a body that is
// about to be read can reserve its expected size plus this.
inline constexpr std::size_t jsonReadAhead = 64;

// The keys a record reads and writes, in declaration order (a Tour has 88).
template <class T>
std::vector<std::string_view> jsonKeys();

// A reply that carries tours: catalogue, search, organisation and full-tour replies, and the
// stored text of a downloaded tour (which is its full-tour reply).
JsonResult<ApiTour> decodeToursReply(std::string_view bytes);
JsonResult<ApiTour> decodeToursReply(const std::string& bytes);
JsonResult<ApiTour> decodeToursReply(const char* bytes);
// The same, handing each tour to `eachTour` as soon as it is read, while its memory is still at
// hand: cheaper than a second walk over a large reply once it is decoded. A tour that is handed
// over may still be dropped if a later part of the reply fails.
JsonResult<ApiTour> decodeToursReply(const std::string& bytes, const std::function<void(Tour&)>& eachTour);
// One tour object on its own.
JsonResult<TourRef> decodeTour(std::string_view text);
JsonResult<TourRef> decodeTour(const std::string& text);
JsonResult<TourRef> decodeTour(const char* text);
// A tour's JSON text, as handed to the map pages.
JsonResult<std::string> encodeTour(const Tour& tour);

}  // namespace tq
