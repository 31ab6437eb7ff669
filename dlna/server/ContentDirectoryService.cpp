#include "server/ContentDirectoryService.h"

#include "UpnpErrorMessages.h"
#include "common/DlnaLog.h"
#include "content/SearchCriteria.h"
#include "content/ShareTree.h"
#include "content/SortCriteria.h"
#include "server/ContentDirectoryEvents.h"

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
                        SearchCriteria::kCapabilities) {}

GetSortCapabilitiesAction::GetSortCapabilitiesAction(const ServiceInfo& service)
    : FixedAnswerAction(service, "GetSortCapabilities", "SortCaps",
                        SortCriteria::kCapabilities) {}

GetSystemUpdateIDAction::GetSystemUpdateIDAction(const ServiceInfo& service,
                                                 const ShareTree* tree)
    : UpnpAction(service, "GetSystemUpdateID"), tree_(tree) {
    AddOutput("Id", &id_);
}

int GetSystemUpdateIDAction::ProcessRequest(const std::string&, ActionResults& results) {
    results.emplace_back("Id", tree_ ? tree_->SystemUpdateId() : 0u);
    return 0;
}

TreeQueryAction::TreeQueryAction(const ServiceInfo& service, const std::string& name,
                                 const ShareTree* tree)
    : UpnpAction(service, name), tree_(tree) {
    AddOutput("Result", &result_);
    AddOutput("NumberReturned", &number_returned_);
    AddOutput("TotalMatches", &total_matches_);
    AddOutput("UpdateID", &update_id_);
}

void TreeQueryAction::AddQueryInputs() {
    AddInput("Filter", &filter_);
    AddInput("StartingIndex", &starting_index_);
    AddInput("RequestedCount", &requested_count_);
    AddInput("SortCriteria", &sort_criteria_);
}

void TreeQueryAction::Answer(ActionResults& results, std::string didl, uint32_t returned,
                             uint32_t total) const {
    results.emplace_back("Result", std::move(didl)).as_cdata = true;
    results.emplace_back("NumberReturned", returned);
    results.emplace_back("TotalMatches", total);
    results.emplace_back("UpdateID", tree_->SystemUpdateId());
}

BrowseAction::BrowseAction(const ServiceInfo& service, const ShareTree* tree)
    : TreeQueryAction(service, "Browse", tree) {
    AddInput("ObjectID", &object_id_);
    AddInput("BrowseFlag", &browse_flag_);
    AddQueryInputs();
}

int BrowseAction::ProcessRequest(const std::string&, ActionResults& results) {
    std::string didl;
    uint32_t returned = 0, total = 0;
    // Any flag but BrowseMetadata lists the children.
    if (!tree_) return upnp_error::kActionFailed;
    const auto sort = SortCriteria::Parse(sort_criteria_);
    if (!sort) return upnp_error::kInvalidSortCriteria;
    if (!tree_->Browse(object_id_, browse_flag_ == "BrowseMetadata", starting_index_,
                       requested_count_, &didl, &returned, &total, *sort))
        return upnp_error::kNoSuchObject;
    Answer(results, std::move(didl), returned, total);
    return 0;
}

SearchAction::SearchAction(const ServiceInfo& service, const ShareTree* tree)
    : TreeQueryAction(service, "Search", tree) {
    AddInput("ContainerID", &container_id_);
    AddInput("SearchCriteria", &search_criteria_);
    AddQueryInputs();
}

int SearchAction::ProcessRequest(const std::string&, ActionResults& results) {
    if (!tree_) return upnp_error::kActionFailed;
    const auto criteria = SearchCriteria::Parse(search_criteria_);
    if (!criteria) {
        LogLine(DlnaLog(), LogLevel::Info) << "Search criteria refused: " << search_criteria_;
        return upnp_error::kInvalidSearchCriteria;
    }
    const auto sort = SortCriteria::Parse(sort_criteria_);
    if (!sort) return upnp_error::kInvalidSortCriteria;
    std::string didl;
    uint32_t returned = 0, total = 0;
    if (!tree_->Search(container_id_, *criteria, *sort, starting_index_, requested_count_, &didl,
                       &returned, &total))
        return upnp_error::kNoSuchObject;
    Answer(results, std::move(didl), returned, total);
    return 0;
}

ContentDirectoryService::ContentDirectoryService(const ServiceInfo& info, ShareTree* tree)
    : UpnpService(info), tree_(tree) {
    Offer<GetSearchCapabilitiesAction>("GetSearchCapabilities");
    Offer<GetSortCapabilitiesAction>("GetSortCapabilities");
    Offer<GetSystemUpdateIDAction>("GetSystemUpdateID", static_cast<const ShareTree*>(tree));
    Offer<BrowseAction>("Browse", tree);
    Offer<SearchAction>("Search", tree);
    if (tree_) {
        auto events = this->events;
        watcher_ = std::make_shared<ContentDirectoryEvents>(
            [events](const EventValues& values) { events->Publish(values); });
        tree_->Watch(watcher_);
    }
}

EventValues ContentDirectoryService::InitialEvent() {
    return tree_ ? tree_->EventState() : UpnpService::InitialEvent();
}
