#pragma once
#include <string>

// A device's identity as its description document states it, plus where the
// description is served.
struct DeviceInfo {
    std::string deviceType;
    std::string friendlyName;
    std::string manufacturer;
    std::string manufacturerURL;
    std::string modelDescription;
    std::string modelName;
    std::string modelNumber;
    std::string modelURL;
    std::string serialNumber;
    std::string UDN;
    std::string UPC;
    std::string location;
    std::string address;
    int port = 0;

    bool Valid() const { return !deviceType.empty() && !UDN.empty(); }
};
