#include "content/ShareResource.h"

#include <cinttypes>
#include <cstdio>

#include "content/XmlText.h"

ShareResource::ShareResource(std::string local_path, std::string url, uint64_t size,
                             std::shared_ptr<const ProtocolInfo> protocol_info)
    : local_path_(std::move(local_path)),
      url_(std::move(url)),
      size_(size),
      protocol_info_(protocol_info ? std::move(protocol_info)
                                   : std::make_shared<const ProtocolInfo>()) {}

std::unique_ptr<ShareResource> ShareResource::Clone() const {
    return std::make_unique<ShareResource>(*this);
}

void ShareResource::ToXml(std::string& out, std::string_view url_base) const {
    out += "<res protocolInfo=\"";
    xmltext::AppendEscaped(out, protocol_info_->ToString());
    out += "\" size=\"";
    out += std::to_string(size_);
    out += "\" ";
    out += ExtraAttributes();
    // Known properties only, after the attributes every resource had before.
    const auto attribute = [&out](const char* name, uint32_t value) {
        if (value) out.append(1, ' ').append(name).append("=\"").append(std::to_string(value)) += '"';
    };
    attribute("bitrate", properties_.bitrate);
    attribute("sampleFrequency", properties_.sample_rate);
    attribute("nrAudioChannels", properties_.channels);
    if (properties_.width && properties_.height)
        out.append(" resolution=\"")
            .append(std::to_string(properties_.width))
            .append(1, 'x')
            .append(std::to_string(properties_.height)) += '"';
    out += '>';
    xmltext::AppendEscaped(out, url_base);
    xmltext::AppendEscaped(out, url_);
    out += "</res>";
}

std::string ShareTimedResource::ExtraAttributes() const {
    return "duration=\"" + DurationText(duration_ms_) + "\"";
}

std::unique_ptr<ShareResource> ShareMusic::Clone() const {
    return std::make_unique<ShareMusic>(*this);
}

std::unique_ptr<ShareResource> ShareVideo::Clone() const {
    return std::make_unique<ShareVideo>(*this);
}

std::unique_ptr<ShareResource> ShareImage::Clone() const {
    return std::make_unique<ShareImage>(*this);
}

std::string DurationText(int32_t milliseconds) {
    // In 64 bits: the magnitude of INT32_MIN does not fit 32.
    int64_t rest = milliseconds;
    const char* sign = "";
    if (rest < 0) {
        sign = "-";
        rest = -rest;
    }
    const int64_t hours = rest / 3600000;
    const int64_t minutes = rest / 60000 % 60;
    const int64_t seconds = rest / 1000 % 60;
    const int64_t micros = rest % 1000 * 1000;
    char text[48];
    if (micros)
        std::snprintf(text, sizeof text, "%s%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%06" PRId64,
                      sign, hours, minutes, seconds, micros);
    else
        std::snprintf(text, sizeof text, "%s%02" PRId64 ":%02" PRId64 ":%02" PRId64, sign, hours,
                      minutes, seconds);
    return text;
}
