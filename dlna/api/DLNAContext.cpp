#include "DLNAContext.h"

#include <algorithm>
#include <atomic>

#include "AuthenticationManager.h"
#include "SharedFileGuard.h"
#include "DLNADeviceListener.h"
#include "DlnaLog.h"
#include "MediaRenderer.h"
#include "MediaServer.h"
#include "UpnpClient.h"
#include "UpnpUtility.h"

namespace {

std::mutex& CreationMutex() {
    static std::mutex mutex;
    return mutex;
}
std::atomic<DLNAContext*>& Current() {
    static std::atomic<DLNAContext*> context{nullptr};
    return context;
}

thread_local int callback_depth = 0;

struct CallbackScope {
    CallbackScope() { ++callback_depth; }
    ~CallbackScope() { --callback_depth; }
};

}  // namespace

DLNAContext::DLNAContext()
    : listener_(std::make_shared<DLNADeviceListener>()),
      renderer_(std::make_unique<MediaRenderer>()),
      server_(std::make_unique<MediaServer>()) {}

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

bool DLNAContext::InCallback() { return callback_depth > 0; }

bool DLNAContext::Finalize() {
    if (InCallback()) return false;
    if (!Current().load()) return true;
    // Requests still in flight reach this context until the runtime has
    // stopped; only then is it taken away.
    UpnpUtility::Instance().Finish();
    UpnpUtility::Destroy();
    std::unique_ptr<DLNAContext> context;
    {
        std::lock_guard<std::mutex> guard(CreationMutex());
        context.reset(Current().exchange(nullptr));
    }
    if (!context) return true;
    // The order the bridges were given their parts in, reversed.
    UnguardSharedFiles();
    context->authentication_.reset();
    context->server_.reset();
    context->renderer_.reset();
    context->listener_.reset();
    std::lock_guard<std::mutex> guard(context->mutex_);
    context->devices_.clear();
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
    if (!callback) return 501;
    int result;
    {
        CallbackScope scope;
        result = callback(event, data, user_data);
    }
    if (result == 0) return 0;
    LogLine(DlnaLog(), LogLevel::Error) << "DLNACallback failed: event_id=" << static_cast<int>(event);
    return 501;
}

void DLNAContext::SetCallback(DLNA_CALLBACK callback, void* user_data) {
    std::vector<KnownDevice> replay;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        callback_ = callback;
        user_data_ = user_data;
        replay = devices_;
    }
    // The list itself stays in place, so a device that leaves meanwhile is
    // still reported as gone.
    for (const KnownDevice& known : replay) {
        if (known.discovered < 0 || !FindKnownDevice(known.device.get())) continue;
        RaiseEvent(static_cast<DLNA_EVENT>(known.discovered), known.device.get());
    }
}

void DLNAContext::AddKnownDevice(const std::shared_ptr<UpnpClient>& device, int discovered) {
    if (!device) return;
    {
        // A device reported again (a second DLNA_StartControlPoint replays
        // them all) keeps its one entry: a second one would keep its handle
        // valid after the device left.
        std::lock_guard<std::mutex> guard(mutex_);
        const bool known =
            std::any_of(devices_.begin(), devices_.end(),
                        [&](const KnownDevice& entry) { return entry.device == device; });
        if (!known) devices_.push_back({device, discovered});
    }
    if (discovered >= 0) RaiseEvent(static_cast<DLNA_EVENT>(discovered), device.get());
}

bool DLNAContext::RemoveKnownDevice(const std::shared_ptr<UpnpClient>& device, int disappeared) {
    if (!FindKnownDevice(device.get())) return false;
    if (disappeared >= 0) RaiseEvent(static_cast<DLNA_EVENT>(disappeared), device.get());
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (it->device == device) {
            devices_.erase(it);
            return true;
        }
    }
    return false;
}

std::shared_ptr<UpnpClient> DLNAContext::FindKnownDevice(const void* handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    for (const KnownDevice& known : devices_)
        if (known.device.get() == handle) return known.device;
    return nullptr;
}

std::vector<std::shared_ptr<UpnpClient>> DLNAContext::KnownDevices() {
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<std::shared_ptr<UpnpClient>> out;
    out.reserve(devices_.size());
    for (const KnownDevice& known : devices_) out.push_back(known.device);
    return out;
}

std::shared_ptr<AuthenticationManager> DLNAContext::Authentication() {
    std::lock_guard<std::mutex> guard(mutex_);
    return authentication_;
}

void DLNAContext::SetAuthentication(std::shared_ptr<AuthenticationManager> manager) {
    std::lock_guard<std::mutex> guard(mutex_);
    authentication_ = std::move(manager);
}
