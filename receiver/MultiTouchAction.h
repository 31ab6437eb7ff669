#pragma once
#include <optional>
#include <vector>

#include "UpnpAction.h"

// Touch points as two space-separated lists of floats; checked, not injected.
class MultiTouchAction : public UpnpAction {
public:
    explicit MultiTouchAction(const ServiceInfo& service);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    // The values of a list split at every single space; empty when a piece
    // is empty or not a number.
    static std::optional<std::vector<float>> ParseList(const std::string& list);

    std::string x_list;
    std::string y_list;
};
