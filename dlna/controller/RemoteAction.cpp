#include "controller/RemoteAction.h"

#include <mutex>

#include "UpnpUtility.h"

namespace {

std::mutex& SenderMutex() {
    static std::mutex mutex;
    return mutex;
}

RemoteSender& ReplacedSender() {
    static RemoteSender sender;
    return sender;
}

}  // namespace

int SendRemote(UpnpAction& action, const UpnpClient& device) {
    RemoteSender replaced;
    {
        std::lock_guard<std::mutex> guard(SenderMutex());
        replaced = ReplacedSender();
    }
    if (replaced) return replaced(action, device);
    return UpnpUtility::Instance().SendAction(action, device);
}

void ReplaceRemoteSender(RemoteSender sender) {
    std::lock_guard<std::mutex> guard(SenderMutex());
    ReplacedSender() = std::move(sender);
}
