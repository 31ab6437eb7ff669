#include "server/SharedFileHeaders.h"

#include <strings.h>

#include "VirtualFileRegistry.h"
#include "content/DlnaProfiles.h"
#include "content/ShareTree.h"

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

Headers SharedFileHeaders(const ShareTree& tree, const std::string& path,
                          const std::string& content_type, const Headers& request) {
    const auto kind = DlnaProfiles::KindOf(content_type);
    if (!kind) return {};
    Headers answer;
    if (const std::string* ask = Find(request, "getcontentFeatures.dlna.org"); ask && *ask == "1") {
        std::string features = tree.ContentFeatures(path);
        if (features.empty())
            features = DlnaProfiles::AdditionalInfo(content_type, Extension(path), *kind);
        answer.emplace_back("contentFeatures.dlna.org", std::move(features));
    }
    // Only a mode from the fixed set is echoed: nothing of the request's
    // text reaches the answer unchecked.
    const std::string* mode = Find(request, "transferMode.dlna.org");
    answer.emplace_back("transferMode.dlna.org", mode && DlnaProfiles::Allows(*kind, *mode)
                                                     ? *mode
                                                     : DlnaProfiles::TransferMode(*kind));
    return answer;
}

}  // namespace

void DescribeSharedFiles(const ShareTree& tree) {
    VirtualFileRegistry::Instance().SetResponseHeaders(
        kSharePrefix, [&tree](const std::string& path, const std::string& content_type,
                              const Headers& request) {
            return SharedFileHeaders(tree, path, content_type, request);
        });
}

void UndescribeSharedFiles() {
    VirtualFileRegistry::Instance().SetResponseHeaders(kSharePrefix, nullptr);
}
