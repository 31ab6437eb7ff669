#include "TvKeyControlControl.h"

#include <ixml.h>
#include <unistd.h>

#include "ActionParameter.h"
#include "BatchFile.h"
#include "TvCommon.h"
#include "Xml.h"

void TvKeyControlControl::SI_IRReceiver(const std::string& action, const std::string& key_value) {
    int32_t key = 0;
    if (!ConvertParameter(key_value, key)) {
        LogLine(TvCommonLog(), LogLevel::Error)
            << "SendKey failed: action=" << action << ", key=" << key_value;
        return;
    }
    // Remote-control keys are only reported; nothing is injected.
    LogLine(TvCommonLog(), LogLevel::Silent) << "SI_IRReceiver: "
                                             << "action=" << action << ", "
                                             << "key=" << key << ", "
                                             << "ret="
                                             << "0";
}

std::string TvKeyControlControl::GetTVLiveAddress() {
    std::string address = RunBatchFile("./briskengeturlinfo.bat");
    LogLine(TvCommonLog(), LogLevel::Silent) << "GetTVLiveAddress: " << address;
    return address;
}

std::string TvKeyControlControl::GetTVLiveNegotiatedAddress() {
    std::string address = RunBatchFile("./briskengethttpserverurl.bat");
    LogLine(TvCommonLog(), LogLevel::Silent) << "GetTVLiveNegotiatedAddress: " << address;
    return address;
}

std::string TvKeyControlControl::GetTVMode() {
    const std::string mode = "TvMode";
    LogLine(TvCommonLog(), LogLevel::Silent) << "GetTVMode: " << mode;
    return mode;
}

std::string TvKeyControlControl::ReadServiceList() {
    if (access(service_list_path.c_str(), F_OK) != 0) {
        LogLine(TvCommonLog(), LogLevel::Error) << "Invalid service_list_: " << service_list_path;
        return {};
    }
    const UniqueXmlDocument doc(ixmlLoadDocument(service_list_path.c_str()));
    if (!doc) {
        LogLine(TvCommonLog(), LogLevel::Error)
            << "Cant't parse service_list_: " << service_list_path;
        return {};
    }
    return xml::Serialize(doc.get());  // the document-to-text form, prolog included
}

void TvKeyControlControl::SendString(const std::string& text) {
    LogLine(TvCommonLog(), LogLevel::Silent) << "Unhandled SendString: " << LogSafe(text);
}
