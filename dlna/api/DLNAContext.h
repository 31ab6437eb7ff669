#pragma once
#include <memory>
#include <mutex>

#include "DLNA.h"
#include "common/HostEvents.h"

class AuthenticationManager;
class DLNADeviceListener;
class HardwareAddressCache;
class KnownDevices;
class MediaRenderer;
class MediaServer;
class ShareTree;

// The library's process-wide state, and the one place its parts are made
// and wired: the host's callback, the known remote devices, the renderer
// and server bridges, the authentication manager, and the share tree and
// hardware-address cache, which outlive it. Only the exported functions
// reach it; every part below is handed what it needs.
class DLNAContext : public HostEvents {
public:
    // The context, created on first use (once, whatever the threads). Valid
    // for the exported call that asked: DLNA_Finalize waits for it.
    static DLNAContext& Instance();
    // Stops the runtime, waits until no exported call runs, then deletes the
    // context; the next Instance() starts afresh. Refused (false) on a thread
    // that is inside the host callback: stopping the runtime waits for that
    // very thread.
    static bool Finalize();
    // True while this thread runs the host's callback.
    static bool InCallback();

    ~DLNAContext() override;
    DLNAContext(const DLNAContext&) = delete;
    DLNAContext& operator=(const DLNAContext&) = delete;

    // Calls the host: 0 when it handled the event; the host's own UPnP error
    // when it answered one from 600 to 899; 501 without a callback
    // (silently) or when it failed otherwise (logged). The mutex is not held
    // meanwhile.
    int RaiseEvent(DLNA_EVENT event, void* data) override;
    // Stores the callback, then replays the discovered event of every known
    // device, in discovery order.
    void SetCallback(DLNA_CALLBACK callback, void* user_data);

    KnownDevices& Devices() { return *devices_; }
    MediaRenderer& Renderer() { return *renderer_; }
    MediaServer& Server() { return *server_; }
    const std::shared_ptr<DLNADeviceListener>& DeviceListener() const { return listener_; }
    std::shared_ptr<AuthenticationManager> Authentication();
    // A new manager for a new device.
    std::shared_ptr<AuthenticationManager> NewAuthentication();
    void SetAuthentication(std::shared_ptr<AuthenticationManager> manager);

    // One for the process: shared files stay shared across DLNA_Finalize.
    static ShareTree& Shares();
    static HardwareAddressCache& AddressCache();

    // Every shared URL names the runtime's address, now and after each
    // change of it; called once the runtime has started.
    void FollowAddress();
    // Serves shared files from their own HTTP server on the runtime's
    // address (a port the system chooses), and points their URLs there;
    // until then libupnp's web server serves them. Stopped at DLNA_Finalize.
    static void ServeMedia();

private:
    DLNAContext();

    std::mutex mutex_;
    DLNA_CALLBACK callback_ = nullptr;
    void* user_data_ = nullptr;
    std::unique_ptr<KnownDevices> devices_;
    std::shared_ptr<DLNADeviceListener> listener_;
    std::unique_ptr<MediaRenderer> renderer_;
    std::unique_ptr<MediaServer> server_;
    std::shared_ptr<AuthenticationManager> authentication_;
    int address_observer_ = 0;
};
