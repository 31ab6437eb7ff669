#pragma once
#include <string>

// One serviceList entry. The three URLs are absolute.
struct ServiceInfo {
    std::string serviceType;
    std::string serviceId;
    std::string controlURL;
    std::string eventSubURL;
    std::string SCPDURL;
};
