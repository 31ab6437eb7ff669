#pragma once
// Remote actions without libupnp's client: libupnp (1.8.4 and 1.14) parses a SOAP
// response with ixml, prints the response element back to text and parses
// that again, and ixml is slow on large escaped text such as a Browse
// Result. Here the request goes out over the bounded HTTP client and the
// envelope is read once, with libxml2. Return codes are libupnp's, as
// UpnpSendAction gave them.
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Largest SOAP body taken in either direction: remote Browse results
// easily pass libupnp's default of 16,000 bytes.
constexpr size_t kMaxSoapContentLength = 4 * 1024 * 1024;
// libupnp's UPNP_TIMEOUT, here for the whole exchange.
constexpr int kSoapSeconds = 30;

struct SoapAnswer {
    // The response element's child elements, as local names and texts.
    std::vector<std::pair<std::string, std::string>> arguments;
    // A fault's UPnPError, as text.
    std::string error_code;
    std::string error_description;
};

// The request body for an action element printed as text.
std::string SoapEnvelope(std::string_view action_xml);

// Reads an HTTP response to `action`: 0 with the out-arguments of
// <actionResponse>, the device's UPnP error code (positive) for a fault
// that has one, or UPNP_E_BAD_RESPONSE: a status other than 200 and 500, a
// type other than text/xml, a body that is no envelope or does not parse.
int ReadSoapResponse(int status, std::string_view content_type, std::string_view body,
                     std::string_view action, SoapAnswer* answer);

// POSTs the action to `control_url` and reads the answer: ReadSoapResponse's
// codes, or those of HttpExchange for a transport failure (UPNP_E_TIMEDOUT
// when the device is too slow).
int SendSoapAction(const std::string& control_url, const std::string& service_type,
                   const std::string& action, std::string_view action_xml,
                   const std::atomic<bool>* cancel, SoapAnswer* answer);
