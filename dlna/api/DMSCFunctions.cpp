// The server controller family: the known devices and Browse of a remote
// media server.
#include <upnp.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "DLNA.h"
#include "UpnpErrorMessages.h"
#include "api/DLNAContext.h"
#include "common/ApiGuard.h"
#include "common/CString.h"
#include "common/DeviceTypes.h"
#include "content/ContentElement.h"
#include "content/DidlLite.h"
#include "content/ShareObject.h"
#include "controller/KnownDevices.h"
#include "controller/RemoteAction.h"
#include "server/ContentDirectoryService.h"

namespace {

// A Result beyond the control point's content limit is no answer; the
// limit is the SOAP client's, checked again here for a sender put in its place.
constexpr size_t kMaxResult = 4 * 1024 * 1024;

int BrowseFailed(int code, const UpnpClient& device) {
    if (code == UPNP_E_TIMEDOUT) return DLNA_E_TIMEOUT;
    if (code != upnp_error::kUnauthenticated) return DLNA_E_ACTION_FAILED;
    if (!device.HasService(kAuthenticationType)) return DLNA_E_ACCESS_DENIED;
    LogLine(DlnaLog(), LogLevel::Info) << "DLNA_E_MISSING_AUTHENTICATION";
    return DLNA_E_MISSING_AUTHENTICATION;
}

// The elements handed to the host, released as the host would unless they
// are given away.
class ElementArray {
public:
    explicit ElementArray(size_t count)
        : elements_(
              static_cast<DLNA_CONTENT_ELEMENT*>(std::calloc(count, sizeof(DLNA_CONTENT_ELEMENT)))),
          count_(static_cast<int32_t>(count)) {
        if (!elements_) throw std::bad_alloc();
    }
    ~ElementArray() { DLNA_DMSC_FreeContentElement(elements_, count_); }
    ElementArray(const ElementArray&) = delete;
    ElementArray& operator=(const ElementArray&) = delete;

    DLNA_CONTENT_ELEMENT& operator[](size_t index) { return elements_[index]; }
    DLNA_CONTENT_ELEMENT* Release() { return std::exchange(elements_, nullptr); }

private:
    DLNA_CONTENT_ELEMENT* elements_;
    int32_t count_;
};

// 0 with the objects of a Result as new elements (null when there are
// none), 7 when the Result is no DIDL-Lite document this library reads.
int ToElements(const std::string& result, DLNA_CONTENT_ELEMENT** elements, int32_t* count) {
    if (result.size() > kMaxResult) {
        LogLine(DlnaLog(), LogLevel::Error) << "Browse result too large: " << result.size();
        return DLNA_E_NO_ACTION;
    }
    std::vector<std::shared_ptr<ShareObject>> objects;
    if (ParseShareObjects(result, &objects) != 0) return DLNA_E_NO_ACTION;
    if (objects.empty()) return DLNA_OK;
    if (objects.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return DLNA_E_NO_ACTION;
    ElementArray array(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) objects[i]->ToElement(&array[i]);
    *count = static_cast<int32_t>(objects.size());
    *elements = array.Release();
    return DLNA_OK;
}

}  // namespace

extern "C" {

int DLNA_DMSC_GetDMSControllerList(DLNA_DEVICE_HANDLE* list, uint32_t* count) {
    return Guarded(
        "DLNA_DMSC_GetDMSControllerList", static_cast<int>(DLNA_E_INVALID_ARGUMENT), [&] {
            if (!list || !count) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
            const auto devices = DLNAContext::Instance().Devices().All();
            if (devices.size() > *count) {
                LogLine(DlnaLog(), LogLevel::Error) << "Not enough device list allocation.";
                *count = static_cast<uint32_t>(devices.size());
                return static_cast<int>(DLNA_E_LIST_TOO_SMALL);
            }
            for (size_t i = 0; i < devices.size(); ++i) list[i] = devices[i].get();
            *count = static_cast<uint32_t>(devices.size());
            return static_cast<int>(DLNA_OK);
        });
}

int DLNA_DMSC_Browse(DLNA_DEVICE_HANDLE device, const char* object_id, int browse_mode,
                     const char* filter, uint32_t starting_index, uint32_t requested_count,
                     const char* sort_criteria, DLNA_CONTENT_ELEMENT** elements, int32_t* count) {
    return Guarded("DLNA_DMSC_Browse", static_cast<int>(DLNA_E_ACTION_FAILED), [&] {
        LogLine(DlnaLog(), LogLevel::Info) << "DMSC_Browse";
        if (!elements || !count) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        // Cleared at once, so that no failure leaves the host a stale array.
        *elements = nullptr;
        *count = 0;
        const Inputs inputs{
            {"ObjectID", object_id ? object_id : "0"},
            {"BrowseFlag", browse_mode ? "BrowseDirectChildren" : "BrowseMetadata"},
            {"Filter", filter ? filter : "*"},
            {"StartingIndex", std::to_string(starting_index)},
            {"RequestedCount", std::to_string(requested_count)},
            {"SortCriteria", TextOf(sort_criteria)},
        };
        return CallRemote<BrowseAction>(
            DLNAContext::Instance().Devices(), device, "Browse", inputs,
            [&](BrowseAction& answered) { return ToElements(answered.Result(), elements, count); },
            BrowseFailed);
    });
}

int DLNA_DMSC_FreeContentElement(DLNA_CONTENT_ELEMENT* elements, int32_t count) {
    return Guarded("DLNA_DMSC_FreeContentElement", static_cast<int>(DLNA_OK), [&] {
        if (!elements || count <= 0) return static_cast<int>(DLNA_OK);
        for (int32_t i = 0; i < count; ++i) ClearContentElement(elements[i]);
        std::free(elements);
        return static_cast<int>(DLNA_OK);
    });
}

}  // extern "C"
