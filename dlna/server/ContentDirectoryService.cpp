#include "ContentDirectoryService.h"

#include "DlnaLog.h"
#include "ShareTree.h"

namespace {

constexpr int kNoSuchObject = 701;

}  // namespace

FixedAnswerAction::FixedAnswerAction(const ServiceInfo& service, const std::string& name,
                                     std::string argument, std::string value)
    : UpnpAction(service, name), argument_(std::move(argument)), value_(std::move(value)) {
    AddOutput(argument_, &answer_);
}

int FixedAnswerAction::ProcessRequest(const std::string&, ActionResults& results) {
    results.emplace_back(argument_, value_);
    LogLine(DlnaLog(), LogLevel::Info) << argument_ << ": " << value_;
    return 0;
}

GetSearchCapabilitiesAction::GetSearchCapabilitiesAction(const ServiceInfo& service)
    : FixedAnswerAction(service, "GetSearchCapabilities", "SearchCaps",
                        "dc:title,dc:creator,dc:date,res@protocolInfo,res@size") {}

GetSortCapabilitiesAction::GetSortCapabilitiesAction(const ServiceInfo& service)
    : FixedAnswerAction(service, "GetSortCapabilities", "SortCaps",
                        "dc:title,dc:creator,upnp:class") {}

GetSystemUpdateIDAction::GetSystemUpdateIDAction(const ServiceInfo& service)
    : FixedAnswerAction(service, "GetSystemUpdateID", "Id", "0") {}

BrowseAction::BrowseAction(const ServiceInfo& service) : UpnpAction(service, "Browse") {
    AddInput("ObjectID", &object_id_);
    AddInput("BrowseFlag", &browse_flag_);
    AddInput("Filter", &filter_);
    AddInput("StartingIndex", &starting_index_);
    AddInput("RequestedCount", &requested_count_);
    AddInput("SortCriteria", &sort_criteria_);
    AddOutput("Result", &result_);
    AddOutput("NumberReturned", &number_returned_);
    AddOutput("TotalMatches", &total_matches_);
    AddOutput("UpdateID", &update_id_);
}

int BrowseAction::ProcessRequest(const std::string&, ActionResults& results) {
    std::string didl;
    uint32_t returned = 0, total = 0;
    // Any flag but BrowseMetadata lists the children.
    if (!ShareTree::Instance().Browse(object_id_, browse_flag_ == "BrowseMetadata", starting_index_,
                                      requested_count_, &didl, &returned, &total))
        return kNoSuchObject;
    results.emplace_back("Result", std::move(didl));
    results.emplace_back("NumberReturned", returned);
    results.emplace_back("TotalMatches", total);
    results.emplace_back("UpdateID", 0u);
    return 0;
}

ContentDirectoryService::ContentDirectoryService(const ServiceInfo& info) : UpnpService(info) {
    Offer<GetSearchCapabilitiesAction>("GetSearchCapabilities");
    Offer<GetSortCapabilitiesAction>("GetSortCapabilities");
    Offer<GetSystemUpdateIDAction>("GetSystemUpdateID");
    Offer<BrowseAction>("Browse");
}
