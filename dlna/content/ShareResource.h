#pragma once
// One way to fetch an item: a file served over HTTP, or a res element read
// from a remote DIDL-Lite document.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "content/ProtocolInfo.h"

// What a reader of the file found out about its streams; 0 where unknown.
struct StreamProperties {
    uint32_t bitrate = 0;  // bytes per second, as res@bitrate counts
    uint32_t sample_rate = 0;
    uint32_t channels = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

class ShareResource {
public:
    // `url` is whole for a resource read from DIDL-Lite; a shared file's is
    // the path below the server's base URL, which the tree holds once for
    // all its resources ("http://address:port").
    ShareResource(std::string local_path, std::string url, uint64_t size,
                  std::shared_ptr<const ProtocolInfo> protocol_info);
    virtual ~ShareResource() = default;

    // Text appended inside the res start tag.
    virtual std::string ExtraAttributes() const { return {}; }
    virtual std::unique_ptr<ShareResource> Clone() const;

    // The res element, its URL being `url_base` followed by Url().
    void ToXml(std::string& out, std::string_view url_base) const;

    const std::string& LocalPath() const { return local_path_; }
    const std::string& Url() const { return url_; }
    void SetUrl(std::string url) { url_ = std::move(url); }
    uint64_t Size() const { return size_; }
    const ProtocolInfo& Info() const { return *protocol_info_; }
    void SetInfo(std::shared_ptr<const ProtocolInfo> info) { protocol_info_ = std::move(info); }
    const StreamProperties& Properties() const { return properties_; }
    void SetProperties(const StreamProperties& properties) { properties_ = properties; }

private:
    std::string local_path_;
    std::string url_;
    uint64_t size_;
    std::shared_ptr<const ProtocolInfo> protocol_info_;
    StreamProperties properties_;
};

// Audio and video add their play time.
class ShareTimedResource : public ShareResource {
public:
    ShareTimedResource(std::string local_path, std::string url, uint64_t size,
                       std::shared_ptr<const ProtocolInfo> protocol_info, int32_t duration_ms)
        : ShareResource(std::move(local_path), std::move(url), size, std::move(protocol_info)),
          duration_ms_(duration_ms) {}

    // duration="HH:MM:SS", with ".ffffff" only when there is a fraction.
    std::string ExtraAttributes() const override;
    int32_t DurationMs() const { return duration_ms_; }
    void SetDurationMs(int32_t duration_ms) { duration_ms_ = duration_ms; }

private:
    int32_t duration_ms_;
};

class ShareMusic final : public ShareTimedResource {
public:
    using ShareTimedResource::ShareTimedResource;
    std::unique_ptr<ShareResource> Clone() const override;
};

class ShareVideo final : public ShareTimedResource {
public:
    using ShareTimedResource::ShareTimedResource;
    std::unique_ptr<ShareResource> Clone() const override;
};

class ShareImage final : public ShareResource {
public:
    using ShareResource::ShareResource;
    std::unique_ptr<ShareResource> Clone() const override;
};

// A time span in milliseconds as "HH:MM:SS[.ffffff]": hours with at least
// two digits, microseconds only when not zero, "-" before a negative span.
std::string DurationText(int32_t milliseconds);
