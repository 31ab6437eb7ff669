#pragma once
#include <memory>
#include <string>

#include "ActionFilter.h"

class AuthenticationManager;

// Refuses one action (Browse) to clients that have not authenticated, and to
// clients whose hardware address is unknown, with UPnP error 801.
class AuthenticationActionFilter : public ActionFilter {
public:
    AuthenticationActionFilter(std::string action, std::shared_ptr<AuthenticationManager> manager);
    bool Accept(UpnpActionRequest* request) override;
    bool IsSame(const ActionFilter& other) const override;

private:
    std::string action_;
    std::shared_ptr<AuthenticationManager> manager_;
};
