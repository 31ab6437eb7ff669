#include "Halvorn.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>

#include "InputInjector.h"
#include "TVControlServiceFactory.h"
#include "TvCommon.h"
#include "TvInputControl.h"
#include "TvKeyControlControl.h"
#include "TvMouseControlControl.h"
#include "UpnpUtility.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

int32_t Limit(int32_t range) {
    // A range of INT32_MIN must not wrap around.
    return static_cast<int32_t>(std::max<int64_t>(int64_t(range) - 1,
                                                  std::numeric_limits<int32_t>::min()));
}

std::unique_ptr<platform::InputInjector> ChooseInjector() {
    std::string why;
    auto injector = platform::CreateInputInjector(&why);
    if (dynamic_cast<platform::NullInjector*>(injector.get()))
        LogLine(TvCommonLog(), LogLevel::Warning) << "Input injection unavailable: " << why;
    else
        LogLine(TvCommonLog(), LogLevel::Silent) << "Input injection: " << why;
    return injector;
}

}  // namespace

RootDeviceSettings Halvorn::DeviceSettings() {
    RootDeviceSettings settings;
    settings.load_failure = "Cant't parse the xml: ";
    settings.parse_failure = "Cant't parse the xml: ";
    settings.invalid_address = "OnIPChanged: invalid ip";
    settings.address_event_has_port = false;
    return settings;
}

int Halvorn::Initialize() {
    std::string key_map_path = "tvos_ir_keys.xml";
    if (web_root != "web/") {
        std::string copy = web_root;
        if (!copy.empty() && (copy.back() == '/' || copy.back() == '\\'))
            copy.pop_back();
        else
            web_root += "/";
        key_map_path = fs::path(copy).parent_path().string() + "/" + "tvos_ir_keys.xml";
    }
    if (!Exists(key_map_path)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid key_map_path: " << key_map_path;
        return 1;
    }

    if (!Exists(service_list)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid service_list_: " << service_list;
        return 2;
    }

    std::error_code ec;
    if (!Exists(web_root)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid web_root: " << web_root;
        return 3;
    }
    if (!fs::is_directory(web_root, ec)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid web_root: " << web_root;
        return 4;
    }
    const std::string description = web_root + dev_desc;
    if (!Exists(description)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid xml: " << description;
        return 5;
    }
    if (!fs::is_regular_file(description, ec)) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid xml: " << description;
        return 6;
    }

    // The one set of controls every service of the device acts on.
    auto factory = std::make_shared<TVControlServiceFactory>(
        std::make_shared<TvInputControl>(ChooseInjector(), Limit(max_x), Limit(max_y)),
        std::make_shared<TvKeyControlControl>(key_map_path, service_list),
        std::make_shared<TvMouseControlControl>(key_map_path));

    auto& upnp = UpnpUtility::Instance();
    if (int rc = upnp.Init(port, ""); rc != 0) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Initialize failed: " << rc;
        return 7;
    }
    if (int rc = upnp.CreateDevice(description, std::move(factory), DeviceSettings()); rc != 0) {
        LogLine(TvCommonLog(), LogLevel::Error) << "CreateDevice failed: " << rc;
        return 8;
    }
    return 0;
}

void Halvorn::Finalize() { UpnpUtility::Instance().Finish(); }
