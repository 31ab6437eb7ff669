#include "api/DLNAContext.h"

#include <atomic>

#include "MediaHttpServer.h"
#include "NeighbourTable.h"
#include "UpnpErrorMessages.h"
#include "UpnpUtility.h"
#include "VirtualFileRegistry.h"
#include "common/ApiGate.h"
#include "common/DlnaLog.h"
#include "content/MetadataScanner.h"
#include "content/ShareTree.h"
#include "controller/DLNADeviceListener.h"
#include "controller/KnownDevices.h"
#include "renderer/MediaRenderer.h"
#include "server/AuthenticationManager.h"
#include "server/HardwareAddressCache.h"
#include "server/MediaServer.h"
#include "server/SharedFileGuard.h"
#include "server/SharedFileHeaders.h"

namespace {

std::mutex& MediaMutex() {
    static std::mutex mutex;
    return mutex;
}

// Never destroyed, as the tree: stopped, not deleted, at DLNA_Finalize.
MediaHttpServer& Media() {
    static auto* media = new MediaHttpServer();
    return *media;
}

// Callers hold MediaMutex. On a port the system chooses: a fixed one
// beside libupnp's would take one another program was told to use.
bool StartMedia(const std::string& address) {
    MediaHttpServer::Settings settings;
    settings.address = address;
    std::string error;
    if (Media().Start(settings, &error)) {
        VirtualFileRegistry::Instance().ServeElsewhere("/share/");
        return true;
    }
    VirtualFileRegistry::Instance().ServeElsewhere("");
    LogLine(DlnaLog(), LogLevel::Error) << error << "; libupnp serves the shared files";
    return false;
}

// Files' URLs follow the runtime's address, on the media server's port
// while it runs.
void FollowMedia(const std::string& address, int upnp_port) {
    std::lock_guard lock(MediaMutex());
    if (Media().Running() && Media().Address() != address) StartMedia(address);
    DLNAContext::Shares().UpdateAddress(address,
                                        Media().Running() ? Media().Port() : upnp_port);
}

}  // namespace

namespace {

std::mutex& CreationMutex() {
    static std::mutex mutex;
    return mutex;
}
std::atomic<DLNAContext*>& Current() {
    static std::atomic<DLNAContext*> context{nullptr};
    return context;
}

}  // namespace

DLNAContext::DLNAContext()
    : devices_(std::make_unique<KnownDevices>(*this)),
      listener_(std::make_shared<DLNADeviceListener>(*devices_)),
      renderer_(std::make_unique<MediaRenderer>(*this)),
      server_(std::make_unique<MediaServer>(*this)) {}

DLNAContext::~DLNAContext() = default;

DLNAContext& DLNAContext::Instance() {
    if (DLNAContext* context = Current().load(std::memory_order_acquire)) return *context;
    std::lock_guard<std::mutex> guard(CreationMutex());
    DLNAContext* context = Current().load(std::memory_order_relaxed);
    if (!context) {
        context = new DLNAContext();
        Current().store(context, std::memory_order_release);
    }
    return *context;
}

ShareTree& DLNAContext::Shares() {
    // Never destroyed: the web server's threads may still browse at exit.
    static auto* tree = [] {
        auto* made = new ShareTree();
        // The metadata pass starts with the first shared file.
        made->OnAdded([made](uint64_t id, const std::string& path, const std::string& mime) {
            static auto* scanner = new MetadataScanner(*made);
            scanner->Enqueue(id, path, mime);
        });
        return made;
    }();
    return *tree;
}

HardwareAddressCache& DLNAContext::AddressCache() {
    static auto* cache =
        new HardwareAddressCache(std::make_shared<platform::KernelNeighbourTable>());
    return *cache;
}

bool DLNAContext::InCallback() {
    return ApiGate::InCallback();
}

bool DLNAContext::Finalize() {
    if (InCallback()) return false;
    // One at a time, and alone: calls in flight finish first, new ones wait.
    ApiGate::Exclusive alone;
    if (!Current().load()) return true;
    // Requests still in flight reach this context until the runtime has
    // stopped; only then is it taken away.
    UpnpUtility::Instance().Finish();
    UpnpUtility::Destroy();
    {
        std::lock_guard lock(MediaMutex());
        Media().Stop();
        VirtualFileRegistry::Instance().ServeElsewhere("");
    }
    std::unique_ptr<DLNAContext> context;
    {
        std::lock_guard<std::mutex> guard(CreationMutex());
        context.reset(Current().exchange(nullptr));
    }
    if (!context) return true;
    // The order the bridges were given their parts in, reversed.
    UnguardSharedFiles();
    UndescribeSharedFiles();
    context->authentication_.reset();
    context->server_.reset();
    context->renderer_.reset();
    context->listener_.reset();
    context->devices_->Clear();
    return true;
}

int DLNAContext::RaiseEvent(DLNA_EVENT event, void* data) {
    DLNA_CALLBACK callback;
    void* user_data;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        callback = callback_;
        user_data = user_data_;
    }
    if (!callback) return upnp_error::kActionFailed;
    int result;
    {
        ApiGate::CallbackScope scope;
        result = callback(event, data, user_data);
    }
    if (result == 0) return 0;
    // An action-specific error the host chose goes to the control point.
    if (result >= 600 && result <= 899) return result;
    LogLine(DlnaLog(), LogLevel::Error)
        << "DLNACallback failed: event_id=" << static_cast<int>(event);
    return upnp_error::kActionFailed;
}

void DLNAContext::SetCallback(DLNA_CALLBACK callback, void* user_data) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        callback_ = callback;
        user_data_ = user_data;
    }
    devices_->Replay();
}

std::shared_ptr<AuthenticationManager> DLNAContext::Authentication() {
    std::lock_guard<std::mutex> guard(mutex_);
    return authentication_;
}

std::shared_ptr<AuthenticationManager> DLNAContext::NewAuthentication() {
    return std::make_shared<AuthenticationManager>(AddressCache());
}

void DLNAContext::SetAuthentication(std::shared_ptr<AuthenticationManager> manager) {
    std::lock_guard<std::mutex> guard(mutex_);
    authentication_ = std::move(manager);
}


void DLNAContext::ServeMedia() {
    std::lock_guard lock(MediaMutex());
    if (Media().Running() || !StartMedia(UpnpUtility::ServerAddress()))
        return;
    Shares().UpdateAddress(UpnpUtility::ServerAddress(), Media().Port());
}

void DLNAContext::FollowAddress() {
    auto& upnp = UpnpUtility::Instance();
    Shares().UpdateAddress(UpnpUtility::ServerAddress(), UpnpUtility::ServerPort());
    // The runtime, and with it the observer, goes at DLNA_Finalize; a second
    // DLNA_Initialize replaces it.
    upnp.RemoveAddressObserver(address_observer_);
    address_observer_ = upnp.AddAddressObserver(FollowMedia);
}
