#pragma once
#include "common/Channel.h"
#include "renderer/RenderingControlExListener.h"

// Passes the picture commands on, whatever the instance: it keeps no state.
class RenderingControlExChannel : public Channel<RenderingControlExListener> {
public:
    int OnZoomIn(uint32_t id) override {
        return Forward(&RenderingControlExListener::OnZoomIn, id);
    }
    int OnZoomOut(uint32_t id) override {
        return Forward(&RenderingControlExListener::OnZoomOut, id);
    }
    int OnRotateClockwise(uint32_t id) override {
        return Forward(&RenderingControlExListener::OnRotateClockwise, id);
    }
    int OnRotateCounterclockwise(uint32_t id) override {
        return Forward(&RenderingControlExListener::OnRotateCounterclockwise, id);
    }
};
