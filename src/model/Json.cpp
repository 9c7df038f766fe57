#include "model/Json.h"

#include "model/JsonCodec.h"

#include <cstring>
#include <memory>

namespace tq {
namespace {

// One parser per thread, kept between readings with a padded copy buffer, so that neither is
// allocated again for every reply (a fresh buffer of a large reply costs its page faults each
// time). A reading that starts while another is walking its document (which never happens
// today) gets a parser of its own.
class ParserLease {
public:
    ParserLease() {
        if (!inUse_) {
            inUse_ = true;
            leased_ = true;
        }
    }
    ~ParserLease() {
        if (!leased_) return;
        // Buffers sized for any text the client accepts are kept: dropping them after a large
        // catalogue would make every later reading fault the same memory in again. Only a text
        // past that (read from elsewhere) does not keep its buffers for the thread's life.
        if (shared_.capacity() > kKeptCapacity) {
            shared_ = simdjson::dom::parser();
            buffer_.reset();
            bufferCapacity_ = 0;
        }
        inUse_ = false;
    }
    ParserLease(const ParserLease&) = delete;
    ParserLease& operator=(const ParserLease&) = delete;

    // `padded`: the caller's memory may be read up to SIMDJSON_PADDING bytes past the text.
    simdjson::simdjson_result<simdjson::dom::element> parse(std::string_view text, bool padded) {
        simdjson::dom::parser& parser = leased_ ? shared_ : own_;
        if (padded) return parser.parse(text.data(), text.size(), false);
        if (!leased_) return own_.parse(text.data(), text.size(), true);
        if (bufferCapacity_ < text.size() + simdjson::SIMDJSON_PADDING) {
            bufferCapacity_ = text.size() + text.size() / 4 + simdjson::SIMDJSON_PADDING;
            buffer_ = std::make_unique_for_overwrite<char[]>(bufferCapacity_);
        }
        std::memcpy(buffer_.get(), text.data(), text.size());
        std::memset(buffer_.get() + text.size(), 0, simdjson::SIMDJSON_PADDING);
        return shared_.parse(buffer_.get(), text.size(), false);
    }

private:
    static constexpr std::size_t kKeptCapacity = 256u << 20;
    static thread_local simdjson::dom::parser shared_;
    static thread_local std::unique_ptr<char[]> buffer_;
    static thread_local std::size_t bufferCapacity_;
    static thread_local bool inUse_;
    bool leased_ = false;
    simdjson::dom::parser own_;
};

thread_local simdjson::dom::parser ParserLease::shared_;
thread_local std::unique_ptr<char[]> ParserLease::buffer_;
thread_local std::size_t ParserLease::bufferCapacity_ = 0;
thread_local bool ParserLease::inUse_ = false;

static_assert(jsonReadAhead >= simdjson::SIMDJSON_PADDING);

template <class T>
JsonResult<T> decodeWith(std::string_view text, bool padded) {
    ParserLease lease;
    json_detail::Element root;
    auto error = lease.parse(text, padded).get(root);
    if (error) return JsonResult<T>::failure(std::string("invalid JSON: ") + simdjson::error_message(error));
    T value{};
    json_detail::FieldError fieldError;
    if (!json_detail::Codec<T>::read(root, value, fieldError)) return JsonResult<T>::failure(fieldError.describe());
    return value;
}

}  // namespace

template <class T>
JsonResult<T> decodeJson(std::string_view text) {
    return decodeWith<T>(text, false);
}

template <class T>
JsonResult<T> decodeJson(const std::string& text) {
    return decodeWith<T>(text, text.capacity() - text.size() >= jsonReadAhead);
}

template <class T>
JsonResult<std::string> encodeJson(const T& value) {
    using Codec = json_detail::Codec<T>;
    if (!Codec::present(value)) return JsonResult<std::string>::failure("no value to write");
    JsonWriter writer;
    json_detail::FieldError error;
    if (!Codec::write(writer, value, error)) return JsonResult<std::string>::failure(error.describe());
    return writer.take();
}

template <class T>
std::vector<std::string_view> jsonKeys() {
    return json_detail::RecordFields<T>::table().keys();
}

JsonResult<ApiTour> decodeToursReply(std::string_view bytes) { return decodeJson<ApiTour>(bytes); }
JsonResult<ApiTour> decodeToursReply(const std::string& bytes) { return decodeJson<ApiTour>(bytes); }
JsonResult<ApiTour> decodeToursReply(const char* bytes) { return decodeJson<ApiTour>(bytes); }

JsonResult<ApiTour> decodeToursReply(const std::string& bytes, const std::function<void(Tour&)>& eachTour) {
    // Only this thread's reading sees the visitor, and only until it returns.
    struct Visiting {
        const std::function<void(Tour&)>* before = json_detail::eachTourRead;
        explicit Visiting(const std::function<void(Tour&)>& visit) { json_detail::eachTourRead = &visit; }
        ~Visiting() { json_detail::eachTourRead = before; }
    } visiting(eachTour);
    return decodeJson<ApiTour>(bytes);
}

JsonResult<TourRef> decodeTour(std::string_view text) { return decodeJson<TourRef>(text); }
JsonResult<TourRef> decodeTour(const std::string& text) { return decodeJson<TourRef>(text); }
JsonResult<TourRef> decodeTour(const char* text) { return decodeJson<TourRef>(text); }

JsonResult<std::string> encodeTour(const Tour& tour) { return encodeJson(tour); }

#define TQ_DECODABLE(T)                                          \
    template JsonResult<T> decodeJson<T>(std::string_view); \
    template JsonResult<T> decodeJson<T>(const std::string&);
#define TQ_ENCODABLE(T) template JsonResult<std::string> encodeJson<T>(const T&);
#define TQ_RECORD(T) template std::vector<std::string_view> jsonKeys<T>();
#define TQ_BOTH(T) TQ_DECODABLE(T) TQ_ENCODABLE(T)

TQ_BOTH(TourRef)
TQ_BOTH(PointOfInterestRef)
TQ_BOTH(PoiContentRef)
TQ_BOTH(OrganisationRef)
TQ_BOTH(Country)
TQ_BOTH(State)
TQ_BOTH(City)
TQ_BOTH(Filter)
TQ_BOTH(Inter)
TQ_BOTH(TourMetaCustomMap)
TQ_BOTH(MetaData)
TQ_BOTH(MetaDataSizeString)
TQ_BOTH(PoiMap)
TQ_BOTH(Rating)
TQ_BOTH(TourIDUpdateResult)
TQ_BOTH(Language)
TQ_BOTH(ApiTour)
TQ_BOTH(ApiWorldMap)
TQ_BOTH(ApiPoiAround)
TQ_BOTH(ApiCountry)
TQ_BOTH(ApiState)
TQ_BOTH(ApiCity)
TQ_BOTH(ApiRating)
TQ_BOTH(UpdateTourList)
TQ_BOTH(UpdateTourListError)
TQ_BOTH(std::vector<PoiMap>)
TQ_BOTH(std::vector<TourRef>)
TQ_BOTH(std::vector<PointOfInterestRef>)
TQ_ENCODABLE(Tour)
TQ_ENCODABLE(PointOfInterest)
TQ_ENCODABLE(PoiContent)
TQ_ENCODABLE(Organisation)
TQ_ENCODABLE(TourUpdatePost)
TQ_ENCODABLE(UpdatePost)

TQ_RECORD(Tour)
TQ_RECORD(PointOfInterest)
TQ_RECORD(PoiContent)
TQ_RECORD(Organisation)
TQ_RECORD(Country)
TQ_RECORD(State)
TQ_RECORD(City)
TQ_RECORD(Filter)
TQ_RECORD(Inter)
TQ_RECORD(TourMetaCustomMap)
TQ_RECORD(MetaData)
TQ_RECORD(MetaDataSizeString)
TQ_RECORD(PoiMap)
TQ_RECORD(Rating)
TQ_RECORD(TourIDUpdateResult)
TQ_RECORD(Language)
TQ_RECORD(TourUpdatePost)
TQ_RECORD(UpdatePost)

}  // namespace tq
