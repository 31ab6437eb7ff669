#pragma once
// What the fuzz targets share: the shipped data, a private scratch folder,
// and action requests as libupnp hands them to the device callback.
#include <upnp.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A file of the source tree's data/ folder (the installation data).
std::string ShippedData(const std::string& relative);

// A folder of this process's own, made on first use and removed at exit.
const std::string& ScratchFolder();
// Writes `content` to ScratchFolder()/name and returns the path.
std::string WriteScratchFile(const std::string& name, std::string_view content);

std::string_view AsText(const uint8_t* data, size_t size);

// False for a document that libixml reads past the end of: one whose
// text (up to its first NUL, where ixml stops) ends inside a numeric
// character reference ("&#", "&#x4") or inside a CDATA section. libupnp parses every SOAP body with
// it before we see the request; the targets leave these inputs out so that
// they find faults in our code, not that one again.
bool IxmlReadsSafely(std::string_view document);

// An input "SERVICE ACTION\nbody": the two names as C strings (cut at a
// NUL, as they reach the record) and the body still unparsed. Empty when
// the input has no such route.
struct FuzzRoute {
    std::string service;
    std::string action;
    std::string_view body;
};
std::optional<FuzzRoute> ParseFuzzRoute(std::string_view input);

// The body parsed as libupnp would, or null when it would refuse it; the
// caller owns the document.
IXML_Document* ParseFuzzBody(std::string_view body);

// An action request record with the control point at 198.51.100.2. The
// record owns neither document; the destructor frees both.
class FuzzActionRequest {
public:
    FuzzActionRequest(const std::string& action, const std::string& service_id,
                      IXML_Document* body);
    ~FuzzActionRequest();
    FuzzActionRequest(const FuzzActionRequest&) = delete;
    FuzzActionRequest& operator=(const FuzzActionRequest&) = delete;

    UpnpActionRequest* get() { return request_; }

    // What libupnp would send back: checks that a fault carries its text
    // and that a response is one element named after the action in the
    // service's namespace that reads back as sent.
    void CheckAnswer(const std::string& action, const std::string& service_type);

private:
    UpnpActionRequest* request_;
};
