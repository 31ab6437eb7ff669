#include "ServiceEvents.h"

#include "Logger.h"
#include "Xml.h"

namespace {

// libupnp writes names and values into the property set as they are.
struct EscapedValues {
    explicit EscapedValues(const EventValues& values) {
        for (const auto& [name, value] : values) {
            names_.push_back(name);
            values_.push_back(xml::EscapedText(value));
        }
        for (size_t i = 0; i < names_.size(); ++i) {
            name_pointers.push_back(names_[i].c_str());
            value_pointers.push_back(values_[i].c_str());
        }
    }
    int Count() const { return static_cast<int>(names_.size()); }

    std::vector<std::string> names_, values_;
    std::vector<const char*> name_pointers, value_pointers;
};

}  // namespace

void ServiceEvents::SetEvented(std::vector<std::string> names) { evented_ = std::move(names); }

void ServiceEvents::Attach(UpnpDevice_Handle handle, std::string udn) {
    std::lock_guard<std::mutex> guard(mutex_);
    handle_ = handle;
    udn_ = std::move(udn);
}

bool ServiceEvents::Publish(const EventValues& values) {
    if (values.empty()) return true;
    EscapedValues escaped(values);
    std::lock_guard<std::mutex> guard(mutex_);
    if (handle_ < 0) return false;
    const int rc = UpnpNotify(handle_, udn_.c_str(), service_id_.c_str(),
                              escaped.name_pointers.data(),
                              escaped.value_pointers.data(),
                              escaped.Count());
    if (rc != UPNP_E_SUCCESS)
        LogLine(FrameworkLog(), LogLevel::Warning) << "UpnpNotify failed: " << rc;
    return rc == UPNP_E_SUCCESS;
}

int ServiceEvents::Accept(const std::string& sid, const std::function<EventValues()>& initial) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (handle_ < 0) return UPNP_E_INVALID_HANDLE;
    EscapedValues escaped(initial());
    const int rc = UpnpAcceptSubscription(
        handle_, udn_.c_str(), service_id_.c_str(),
        escaped.name_pointers.data(),
        escaped.value_pointers.data(), escaped.Count(), sid.c_str());
    if (rc != UPNP_E_SUCCESS)
        LogLine(FrameworkLog(), LogLevel::Warning) << "UpnpAcceptSubscription failed: " << rc;
    return rc;
}
