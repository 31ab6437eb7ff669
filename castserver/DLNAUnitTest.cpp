#include "DLNAUnitTest.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <system_error>
#include <vector>

#include "CastLog.h"
#include "DLNA.h"
#include "FolderSharing.h"

namespace {

constexpr const char* kEventNames[] = {
    "DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT",
    "DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT",
    "DLNA_DMR_PLAY_EVENT",
    "DLNA_DMR_STOP_EVENT",
    "DLNA_DMR_PAUSE_EVENT",
    "DLNA_DMR_SEEK_EVENT",
    "DLNA_DMR_NEXT_EVENT",
    "DLNA_DMR_PREVIOUS_EVENT",
    "DLNA_DMR_GET_MEDIAINFO_EVENT",
    "DLNA_DMR_GET_TRANSPORT_INFO_EVENT",
    "DLNA_DMR_GET_POSITION_INFO_EVENT",
    "DLNA_DMR_GET_DEVICE_CAPABILITIES_EVENT",
    "DLNA_DMR_GET_TRANSPORT_SETTINGS_EVENT",
    "DLNA_DMR_GET_VOLUME_EVENT",
    "DLNA_DMR_SET_VOLUME_EVENT",
    "DLNA_DMR_ZOOM_IN_EVENT",
    "DLNA_DMR_ZOOM_OUT_EVENT",
    "DLNA_DMR_ROTATE_CLOCKWISE_EVENT",
    "DLNA_DMR_ROTATE_COUNTERCLOCKWISE_EVENT",
    "DLNA_DMR_RENDERING_CONTROL_EVENT",
    "DLNA_DMR_KEEP_ALIVE_EVENT",
    "DLNA_DMR_GET_PROTOCOL_INFO_EVENT",
    "DLNA_DMS_GET_PROTOCOL_INFO_EVENT",
    "DLNA_DMS_DISCOVERED_EVENT",
    "DLNA_DMS_DISAPPEARED_EVENT",
    "DLNA_DMR_DISCOVERED_EVENT",
    "DLNA_DMR_DISAPPEARED_EVENT",
};

// Sharing threads print whole blocks: one item's lines stay together.
std::mutex print_mutex;

int OnEvent(DLNA_EVENT event, void*, void*) {
    const int index = static_cast<int>(event);
    std::lock_guard<std::mutex> guard(print_mutex);
    if (index >= 0 && index < static_cast<int>(std::size(kEventNames)))
        std::cout << kEventNames[index] << std::endl;
    else
        std::cout << "Unknown DLNA event " << index << std::endl;
    return 0;
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

const char* Text(const char* text) {
    return text ? text : "";
}

// One failed check, with its text, on the error stream.
void Failed(const std::string& path, const char* check) {
    std::lock_guard<std::mutex> guard(print_mutex);
    std::cerr << "Check failed for " << path << ": " << check << std::endl;
}

void CheckItem(const std::string& path, std::set<std::string>* seen) {
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    if (DLNA_DMS_Browse(path.c_str(), &elements, &count) != DLNA_OK || !elements) {
        Failed(path, "DLNA_DMS_Browse(path) == DLNA_OK");
        return;
    }
    if (count != 1) Failed(path, "count == 1");
    if (elements[0].type != DLNA_CONTENT_ITEM) {
        Failed(path, "type == DLNA_CONTENT_ITEM");
        DLNA_DMSC_FreeContentElement(elements, count);
        return;
    }
    const auto& item = elements[0].element.item;
    if (!seen->insert(Text(item.id)).second) Failed(path, "the identifier is new");
    if (std::filesystem::path(path).filename().string() != Text(item.title))
        Failed(path, "title == file name");
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (item.res_count < 1 || !item.res || ec || item.res[0].size != size)
        Failed(path, "resource size == file size");

    std::ostringstream lines;
    lines << "ID : " << Text(item.id) << "\n"
          << "Parent ID : " << Text(item.parent_id) << "\n"
          << "Title : " << Text(item.title) << "\n";
    for (int32_t i = 0; item.res && i < item.res_count; ++i) {
        const DLNA_CONTENT_RESOURCE& res = item.res[i];
        lines << "URI : " << Text(res.uri) << "\n"
              << "Protocol : " << Text(res.protocol_info.protocol) << "\n"
              << "Network : " << Text(res.protocol_info.network) << "\n"
              << "Content Format : " << Text(res.protocol_info.content_format) << "\n"
              << "Additional Info : " << Text(res.protocol_info.additional_info) << "\n";
    }
    {
        std::lock_guard<std::mutex> guard(print_mutex);
        std::cout << lines.str() << std::flush;
    }
    DLNA_DMSC_FreeContentElement(elements, count);
}

void NameServer() {
    std::string name = "Qelvar-" + HostName();
    DLNA_DEVICE_INFO info{};
    info.friendly_name = name.data();
    if (const int result = DLNA_DMS_SetDeviceInfo(&info); result != DLNA_OK) {
        CastLog(CastLogLevel::Error) << "DLNA_DMS_SetDeviceInfo failed: " << result;
        return;
    }
    DLNA_DEVICE_INFO current{};
    if (DLNA_DMS_GetDeviceInfo(&current) != DLNA_OK || name != Text(current.friendly_name))
        Failed("the media server", "friendly_name == \"Qelvar-\" + host name");
    DLNA_FreeDeviceInfo(&current);
}

}  // namespace

DLNAUnitTest::DLNAUnitTest(const std::string& description_path) {
    if (const int result = DLNA_Initialize(nullptr, 0); result != DLNA_OK) {
        CastLog(CastLogLevel::Error) << "DLNA_Initialize failed: " << result;
        return;
    }
    std::cout << "DLNA Version: " << DLNA_GetVersion() << std::endl;
    if (const int result = DLNA_CreateDevice(description_path.c_str()); result != DLNA_OK) {
        CastLog(CastLogLevel::Error)
            << "DLNA_CreateDevice(" << description_path << ") failed: " << result << " ("
            << DLNA_ResultText(result) << ")";
        return;
    }
    DLNA_SetCallback(OnEvent, this);
    has_server_ = true;
    std::cout << "DLNA address: " << Text(DLNA_GetIP()) << ":" << DLNA_GetListenPort() << std::endl;
}

DLNAUnitTest::~DLNAUnitTest() {
    DLNA_Finalize();
}

void DLNAUnitTest::ShareAndCheck(std::string folder, std::stop_token stop) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    std::vector<std::string> shared;
    const bool walked =
        sharing::ShareFolder(folder, false, nullptr, [&](const std::string& path, int) {
            shared.push_back(path);
            return !stop.stop_requested();
        });
    if (!walked) {
        std::lock_guard<std::mutex> guard(print_mutex);
        std::cout << "The DLNA unit test need the " << folder << " directory!" << std::endl;
    }
    std::set<std::string> seen;
    for (const std::string& path : shared) {
        if (stop.stop_requested()) return;
        CheckItem(path, &seen);
    }
    if (has_server_) NameServer();

    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stop.stop_requested())
        wake.wait_for(lock, stop, std::chrono::milliseconds(500), [] { return false; });
}
