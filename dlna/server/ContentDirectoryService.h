#pragma once
#include <cstdint>
#include <string>

#include "UpnpService.h"

// An action that answers one fixed out-argument and logs it: the
// capabilities and the system update id, which never change here.
class FixedAnswerAction : public UpnpAction {
public:
    FixedAnswerAction(const ServiceInfo& service, const std::string& name, std::string argument,
                      std::string value);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    // Control point: the value of the last response.
    const std::string& Answer() const { return answer_; }

private:
    std::string argument_;
    std::string value_;
    std::string answer_;
};

class GetSearchCapabilitiesAction : public FixedAnswerAction {
public:
    explicit GetSearchCapabilitiesAction(const ServiceInfo& service);
};

class GetSortCapabilitiesAction : public FixedAnswerAction {
public:
    explicit GetSortCapabilitiesAction(const ServiceInfo& service);
};

// "Id" is always 0: clients that cache by it see one unchanging tree, and
// re-browse instead.
class GetSystemUpdateIDAction : public FixedAnswerAction {
public:
    explicit GetSystemUpdateIDAction(const ServiceInfo& service);
};

// Browse over the share tree. Filter and SortCriteria are accepted and
// ignored: objects are whole and in tree order.
class BrowseAction : public UpnpAction {
public:
    explicit BrowseAction(const ServiceInfo& service);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    // Control point: the answer of the last response.
    const std::string& Result() const { return result_; }

private:
    std::string object_id_;
    std::string browse_flag_;
    std::string filter_;
    uint32_t starting_index_ = 0;
    uint32_t requested_count_ = 0;
    std::string sort_criteria_;

    std::string result_;
    uint32_t number_returned_ = 0;
    uint32_t total_matches_ = 0;
    uint32_t update_id_ = 0;
};

// ContentDirectory:1 without Search. It keeps no state: the tree is the
// process's share tree.
class ContentDirectoryService : public UpnpService {
public:
    explicit ContentDirectoryService(const ServiceInfo& info);
};
