#pragma once
#include <cstdint>

// The vendor rendering-control extension's picture commands.
class RenderingControlExListener {
public:
    virtual ~RenderingControlExListener() = default;
    virtual int OnZoomIn(uint32_t id) = 0;
    virtual int OnZoomOut(uint32_t id) = 0;
    virtual int OnRotateClockwise(uint32_t id) = 0;
    virtual int OnRotateCounterclockwise(uint32_t id) = 0;
};
