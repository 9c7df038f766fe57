#include "platform/ui/HttpImageFetcher.h"

#include <utility>

#include "platform/foundation/Environment.h"
#include "platform/net/HttpClient.h"

namespace tq {

void HttpImageFetcher::fetch(const std::string& address, std::function<void(ImageFetchResult)> completion) {
    auto request = HttpRequest::get(address);
    request.maxBodyBytes = kMaxPictureBytes;
    env_.shared<HttpClient>().send(std::move(request), [completion = std::move(completion)](HttpResponse response) {
        ImageFetchResult result;
        if (response.error) {
            result.error = response.error->description;
        } else if (response.body.empty()) {
            result.error = "No Data";
        } else {
            result.bytes = std::move(response.body);
        }
        if (completion) completion(std::move(result));
    });
}

}  // namespace tq
