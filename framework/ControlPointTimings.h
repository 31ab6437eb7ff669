#pragma once

// How the control point paces itself, in seconds. The defaults are the
// protocol's own; tests shorten them through UpnpUtility::SetTimings.
struct ControlPointTimings {
    // Longest monitor wait; also the lifetime given to a device that passed
    // its connection check after its own lifetime ran out.
    int max_wait = 40;
    // Least time between two OnSearch calls.
    int search_interval = 30;
    // A device not looked at for longer than this is checked.
    int refresh_limit = 39;
    int connect_timeout = 10;
    int connect_attempts = 2;
    // Whole description download, connection included.
    int download_timeout = 10;
};
