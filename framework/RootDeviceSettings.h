#pragma once
#include <string>

// What the two programs' root devices do differently, handed to the device
// when it is created.
struct RootDeviceSettings {
    std::string load_failure = "ixmlLoadDocument failed: ";
    std::string parse_failure = "ixmlParseBuffer failed: ";
    std::string invalid_address = "OnIPChanged: invalid address";
    // False: the address event carries the new address alone and the
    // device keeps its port.
    bool address_event_has_port = true;
};
