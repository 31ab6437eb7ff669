#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "DLNA.h"

class UpnpClient;
class MediaRenderer;
class MediaServer;
class AuthenticationManager;
class UpnpDeviceListener;

// The library's process-wide state: the host's callback, the remote devices
// reported to it, the renderer and server bridges and the authentication
// manager. Its own mutex guards the callback and the device list and is
// never held while the host's callback runs.
class DLNAContext {
public:
    // The context, created on first use (once, whatever the threads).
    static DLNAContext& Instance();
    // Ends the runtime and deletes the context; the next Instance() starts
    // afresh. Refused (false) on a thread that is inside the host callback:
    // ending the runtime waits for that very thread.
    static bool Finalize();
    // True while this thread runs the host's callback.
    static bool InCallback();

    ~DLNAContext();
    DLNAContext(const DLNAContext&) = delete;
    DLNAContext& operator=(const DLNAContext&) = delete;

    // Calls the host: 0 when it handled the event; 501 without a callback
    // (silently) or when it failed (logged).
    int RaiseEvent(DLNA_EVENT event, void* data);
    // Stores the callback, then replays the discovered event of every known
    // device, in discovery order.
    void SetCallback(DLNA_CALLBACK callback, void* user_data);

    // Known remote devices. `discovered` is the event raised for the device
    // (23 or 25), or -1 for a device that is neither a renderer nor a server.
    // A device already known is not listed twice; its event is raised again.
    void AddKnownDevice(const std::shared_ptr<UpnpClient>& device, int discovered);
    // Raises `disappeared` (when not -1) while the handle is still valid, then
    // forgets the device. False when the device was not known.
    bool RemoveKnownDevice(const std::shared_ptr<UpnpClient>& device, int disappeared);
    // The known device a host handle names, held for the caller's whole call;
    // empty when the handle is not in the list.
    std::shared_ptr<UpnpClient> FindKnownDevice(const void* handle);
    std::vector<std::shared_ptr<UpnpClient>> KnownDevices();

    MediaRenderer& Renderer() { return *renderer_; }
    MediaServer& Server() { return *server_; }
    std::shared_ptr<AuthenticationManager> Authentication();
    void SetAuthentication(std::shared_ptr<AuthenticationManager> manager);
    const std::shared_ptr<UpnpDeviceListener>& DeviceListener() const { return listener_; }

private:
    DLNAContext();

    struct KnownDevice {
        std::shared_ptr<UpnpClient> device;
        int discovered;
    };

    std::mutex mutex_;
    DLNA_CALLBACK callback_ = nullptr;
    void* user_data_ = nullptr;
    std::vector<KnownDevice> devices_;
    std::shared_ptr<UpnpDeviceListener> listener_;
    std::unique_ptr<MediaRenderer> renderer_;
    std::unique_ptr<MediaServer> server_;
    std::shared_ptr<AuthenticationManager> authentication_;
};
