// Feeds arbitrary bytes to the reply readers and to the stored-tour reader. Whatever reads must
// write back, and its written text must read again and write to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/Json.h"

namespace {

template <class T>
void checkRoundTrip(std::string_view bytes) {
    auto read = tq::decodeJson<T>(bytes);
    if (!read) {
        if (read.error().empty()) std::abort();
        return;
    }
    auto written = tq::encodeJson(*read);
    if (!written) return;  // only a number that is not finite may refuse, and JSON holds none
    auto again = tq::decodeJson<T>(*written);
    if (!again) std::abort();
    auto rewritten = tq::encodeJson(*again);
    if (!rewritten || *rewritten != *written) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkRoundTrip<tq::ApiTour>(bytes);
    checkRoundTrip<tq::TourRef>(bytes);
    checkRoundTrip<tq::ApiPoiAround>(bytes);
    checkRoundTrip<tq::ApiWorldMap>(bytes);
    checkRoundTrip<tq::ApiCountry>(bytes);
    checkRoundTrip<tq::ApiState>(bytes);
    checkRoundTrip<tq::ApiCity>(bytes);
    checkRoundTrip<tq::ApiRating>(bytes);
    checkRoundTrip<tq::UpdateTourList>(bytes);
    checkRoundTrip<tq::UpdateTourListError>(bytes);
    return 0;
}
