#pragma once
// Reading a remote device's description: fetched from an untrusted peer, so
// everything kept from it is bounded.
#include <upnp.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Xml.h"

class UpnpClient;
class UpnpServiceFactory;

struct DescriptionLimits {
    // Real descriptions are a few kilobytes. ixml's parser slows down with
    // the square of an element's children and of the nesting depth (80,000
    // siblings take minutes), so documents are measured before it sees them.
    size_t max_bytes = 256 * 1024;
    int max_nodes = 4096;  // elements and attributes
    int max_depth = 32;
    size_t max_devices = 32;         // device elements read from one document
    size_t max_services = 64;        // serviceList entries kept per device
    size_t max_field_length = 1024;  // any identity field or service entry field
};

// True when `text` stays within the node and depth limits. A rough scan of
// the markup: enough to keep hostile documents away from the parser.
bool WithinDescriptionLimits(std::string_view text, const DescriptionLimits& limits);

// Downloads and parses the description at `location`. 0 with the document,
// or a libupnp error code (UPNP_E_INVALID_DESC for one that is too complex
// or does not parse).
int DownloadDescription(const std::string& location, const DescriptionLimits& limits, int seconds,
                        const std::atomic<bool>* cancel, UniqueXmlDocument* doc);

// Where a description came from, as the discovery message said.
struct DescriptionSource {
    std::string location;
    std::string address;  // the sender's address as text
    int port = 0;         // the sender's port
    int max_age = 0;      // the message's expiry, in seconds
};

// One client per device element (root first, then embedded devices in
// document order) that has a valid identity and at least one serviceList
// entry. Services are made by `factory` with an empty DeviceInfo, or are
// plain UpnpService objects without one; their actions are not loaded.
std::vector<std::shared_ptr<UpnpClient>> ReadRemoteDevices(
    IXML_Document* doc, const DescriptionSource& source, UpnpClient_Handle handle,
    const std::shared_ptr<UpnpServiceFactory>& factory, const DescriptionLimits& limits);
