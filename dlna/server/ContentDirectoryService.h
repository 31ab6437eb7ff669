#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "UpnpService.h"

class ShareTree;
class StateWatcher;

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

// "Id" grows with every change of the tree, so clients that cache by it
// know when to browse again.
class GetSystemUpdateIDAction : public UpnpAction {
public:
    GetSystemUpdateIDAction(const ServiceInfo& service, const ShareTree* tree);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    const ShareTree* tree_;
    uint32_t id_ = 0;
};

// What Browse and Search share: the tree (null on a remote device's
// service, which only sends), Filter (accepted and ignored: objects are
// whole), paging, SortCriteria (709 for one it cannot sort by), and the
// answer.
class TreeQueryAction : public UpnpAction {
public:
    // Control point: the answer of the last response.
    const std::string& Result() const { return result_; }

protected:
    TreeQueryAction(const ServiceInfo& service, const std::string& name, const ShareTree* tree);
    // The paging and sort inputs, after the action's own.
    void AddQueryInputs();
    void Answer(ActionResults& results, std::string didl, uint32_t returned,
                uint32_t total) const;

    const ShareTree* tree_;
    std::string filter_;
    uint32_t starting_index_ = 0;
    uint32_t requested_count_ = 0;
    std::string sort_criteria_;

private:
    std::string result_;
    uint32_t number_returned_ = 0;
    uint32_t total_matches_ = 0;
    uint32_t update_id_ = 0;
};

// Browse over the share tree.
class BrowseAction : public TreeQueryAction {
public:
    BrowseAction(const ServiceInfo& service, const ShareTree* tree);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string object_id_;
    std::string browse_flag_;
};

// Search over the share tree: the objects below ContainerID that
// SearchCriteria matches, paged and sorted as Browse does. 708 for criteria
// it cannot read, 701 for an unknown container.
class SearchAction : public TreeQueryAction {
public:
    SearchAction(const ServiceInfo& service, const ShareTree* tree);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string container_id_;
    std::string search_criteria_;
};

// ContentDirectory:1. It keeps no state: Browse and Search read the tree it
// is given (none for a remote device).
class ContentDirectoryService : public UpnpService {
public:
    // With a tree, its changes are evented (SystemUpdateID,
    // ContainerUpdateIDs).
    ContentDirectoryService(const ServiceInfo& info, ShareTree* tree);

    EventValues InitialEvent() override;

private:
    ShareTree* tree_;
    std::shared_ptr<StateWatcher> watcher_;
};
