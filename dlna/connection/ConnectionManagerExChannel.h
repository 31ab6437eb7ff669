#pragma once
#include <cstdint>

#include "common/Channel.h"
#include "connection/ConnectionManagerExListener.h"

// Passes a keep-alive on with its own copy of the id, without checking it
// against the connections: the host decides.
class ConnectionManagerExChannel : public Channel<ConnectionManagerExListener> {
public:
    int OnConnectionKeepAlive(int32_t* connection_id) override {
        int32_t id = *connection_id;
        return Forward(&ConnectionManagerExListener::OnConnectionKeepAlive, &id);
    }
};
