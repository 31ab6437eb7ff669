#include "server/SharedFileHeaders.h"

#include <strings.h>

#include "VirtualFileRegistry.h"
#include "content/DlnaProfiles.h"

namespace {

constexpr const char* kSharePrefix = "/share/";

using Headers = VirtualFileRegistry::Headers;

const std::string* Find(const Headers& headers, const char* name) {
    for (const auto& [key, value] : headers)
        if (::strcasecmp(key.c_str(), name) == 0) return &value;
    return nullptr;
}

// The extension ShareTree put into the URL ("/share/<id><extension>").
std::string_view Extension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return path.substr(dot);
}

Headers SharedFileHeaders(const std::string& path, const std::string& content_type,
                          const Headers& request) {
    const auto kind = DlnaProfiles::KindOf(content_type);
    if (!kind) return {};
    Headers answer;
    if (const std::string* ask = Find(request, "getcontentFeatures.dlna.org"); ask && *ask == "1")
        answer.emplace_back("contentFeatures.dlna.org",
                            DlnaProfiles::AdditionalInfo(content_type, Extension(path), *kind));
    // Only a mode from the fixed set is echoed: nothing of the request's
    // text reaches the answer unchecked.
    const std::string* mode = Find(request, "transferMode.dlna.org");
    answer.emplace_back("transferMode.dlna.org", mode && DlnaProfiles::Allows(*kind, *mode)
                                                     ? *mode
                                                     : DlnaProfiles::TransferMode(*kind));
    return answer;
}

}  // namespace

void DescribeSharedFiles() {
    VirtualFileRegistry::Instance().SetResponseHeaders(kSharePrefix, SharedFileHeaders);
}

void UndescribeSharedFiles() {
    VirtualFileRegistry::Instance().SetResponseHeaders(kSharePrefix, nullptr);
}
