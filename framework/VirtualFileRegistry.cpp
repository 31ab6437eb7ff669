#include "VirtualFileRegistry.h"

#include <algorithm>

#include <sys/stat.h>

#include <filesystem>

#include <UpnpExtraHeaders.h>

#include "Logger.h"
#include "UpnpAction.h"

namespace {

std::unique_ptr<VirtualFileRegistry>& Slot() {
    static std::unique_ptr<VirtualFileRegistry> registry;
    return registry;
}
std::mutex& SlotMutex() {
    static std::mutex mutex;
    return mutex;
}

UpnpFileInterface* AsFile(UpnpWebFileHandle handle) {
    return static_cast<UpnpFileInterface*>(handle);
}

int OnGetInfo(const char* filename, UpnpFileInfo* info, const void*, const void**) {
    if (!filename) return -1;
    auto& registry = VirtualFileRegistry::Instance();
    if (registry.ServedElsewhere(filename) || !registry.GetInfo(filename, info)) return -1;
    // libupnp answers 403 for a file that is not readable.
    const sockaddr_storage* client = UpnpFileInfo_get_CtrlPtIPAddr(info);
    if (!registry.MayServe(filename, client))
        UpnpFileInfo_set_IsReadable(info, 0);
    else
        registry.AddResponseHeaders(filename, info);
    return 0;
}

UpnpWebFileHandle OnOpen(const char* filename, enum UpnpOpenFileMode mode, const void*,
                         const void*) {
    // Nothing here is writable over HTTP.
    if (!filename || mode != UPNP_READ) return nullptr;
    return VirtualFileRegistry::Instance().Open(filename, mode).release();
}

int OnRead(UpnpWebFileHandle handle, char* buffer, size_t length, const void*, const void*) {
    return handle ? AsFile(handle)->Read(buffer, length) : 0;
}

int OnWrite(UpnpWebFileHandle, char*, size_t, const void*, const void*) { return -1; }

int OnSeek(UpnpWebFileHandle handle, off_t offset, int origin, const void*, const void*) {
    return handle ? AsFile(handle)->Seek(offset, origin) : -1;
}

int OnClose(UpnpWebFileHandle handle, const void*, const void*) {
    delete AsFile(handle);
    return 0;
}

// The path made absolute and lexically normal, for files that no longer
// exist and so have no identity.
std::string NormalPath(const std::string& path) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    if (ec) return std::filesystem::path(path).lexically_normal().string();
    return absolute.lexically_normal().string();
}

bool Identity(const std::string& path, dev_t* device, ino_t* inode) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    *device = info.st_dev;
    *inode = info.st_ino;
    return true;
}

}  // namespace

VirtualFileRegistry& VirtualFileRegistry::Instance() {
    std::lock_guard<std::mutex> guard(SlotMutex());
    auto& slot = Slot();
    if (!slot) slot.reset(new VirtualFileRegistry());
    return *slot;
}

void VirtualFileRegistry::Destroy() {
    std::lock_guard<std::mutex> guard(SlotMutex());
    Slot().reset();
}

VirtualFileRegistry::VirtualFileRegistry() { InstallCallbacks(); }

void VirtualFileRegistry::InstallCallbacks() {
    UpnpVirtualDir_set_GetInfoCallback(OnGetInfo);
    UpnpVirtualDir_set_OpenCallback(OnOpen);
    UpnpVirtualDir_set_ReadCallback(OnRead);
    UpnpVirtualDir_set_WriteCallback(OnWrite);
    UpnpVirtualDir_set_SeekCallback(OnSeek);
    UpnpVirtualDir_set_CloseCallback(OnClose);
}

void VirtualFileRegistry::AddMemoryFile(const std::string& disk_path,
                                        const std::string& virtual_path,
                                        const std::string& content_type, int64_t last_modified,
                                        const char* data, size_t length, const void* owner) {
    Add(std::make_shared<UpnpMemoryFileFactory>(disk_path, virtual_path, content_type,
                                                last_modified, data, length),
        owner);
}

void VirtualFileRegistry::AddGeneratedFile(const std::string& disk_path,
                                           const std::string& virtual_path,
                                           const std::string& content_type,
                                           UpnpGeneratedFileFactory::Producer producer) {
    Add(std::make_shared<UpnpGeneratedFileFactory>(disk_path, virtual_path, content_type,
                                                   std::move(producer)),
        nullptr, false);
}

void VirtualFileRegistry::AddServedFile(const std::string& disk_path,
                                        const std::string& virtual_path,
                                        const std::string& content_type) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (auto old = by_virtual_.find(virtual_path); old != by_virtual_.end()) Erase(old);
    auto type = std::find(content_types_.begin(), content_types_.end(), content_type);
    if (type == content_types_.end()) type = content_types_.insert(type, content_type);
    served_[virtual_path] = Served{disk_path, static_cast<uint32_t>(type - content_types_.begin())};
}

std::shared_ptr<UpnpFileFactory> VirtualFileRegistry::FindLocked(const std::string& virtual_path) {
    if (auto it = by_virtual_.find(virtual_path); it != by_virtual_.end()) return it->second.factory;
    auto served = served_.find(virtual_path);
    if (served == served_.end()) return nullptr;
    return std::make_shared<UpnpDiscFileFactory>(served->second.disk_path, virtual_path,
                                                 content_types_[served->second.content_type]);
}

void VirtualFileRegistry::AddDiscFile(const std::string& disk_path,
                                      const std::string& virtual_path,
                                      const std::string& content_type, const void* owner) {
    Add(std::make_shared<UpnpDiscFileFactory>(disk_path, virtual_path, content_type), owner);
}

void VirtualFileRegistry::Add(std::shared_ptr<UpnpFileFactory> factory, const void* owner,
                              bool indexed) {
    Entry entry;
    entry.indexed = indexed;
    if (indexed) {
        entry.has_key = Identity(factory->disk_path, &entry.key.device, &entry.key.inode);
        entry.normal_path = NormalPath(factory->disk_path);
    }
    entry.owner = owner;
    const std::string virtual_path = factory->virtual_path;
    entry.factory = std::move(factory);

    std::lock_guard<std::mutex> guard(mutex_);
    if (auto old = by_virtual_.find(virtual_path); old != by_virtual_.end()) Erase(old);
    served_.erase(virtual_path);
    entry.sequence = next_sequence_++;
    if (entry.has_key) by_identity_[entry.key].emplace(entry.sequence, virtual_path);
    if (indexed) by_name_[entry.normal_path].emplace(entry.sequence, virtual_path);
    by_virtual_.emplace(virtual_path, std::move(entry));
}

void VirtualFileRegistry::Erase(std::unordered_map<std::string, Entry>::iterator it) {
    const Entry& entry = it->second;
    if (entry.has_key) {
        auto identity = by_identity_.find(entry.key);
        if (identity != by_identity_.end()) {
            identity->second.erase(entry.sequence);
            if (identity->second.empty()) by_identity_.erase(identity);
        }
    }
    auto name = entry.indexed ? by_name_.find(entry.normal_path) : by_name_.end();
    if (name != by_name_.end()) {
        name->second.erase(entry.sequence);
        if (name->second.empty()) by_name_.erase(name);
    }
    by_virtual_.erase(it);
}

std::unordered_map<std::string, VirtualFileRegistry::Entry>::iterator
VirtualFileRegistry::FindByDiskPath(const std::string& disk_path) {
    FileKey key;
    if (Identity(disk_path, &key.device, &key.inode)) {
        auto identity = by_identity_.find(key);
        if (identity != by_identity_.end() && !identity->second.empty())
            return by_virtual_.find(identity->second.begin()->second);
    }
    // Gone, or replaced by another file since it was registered.
    auto name = by_name_.find(NormalPath(disk_path));
    if (name != by_name_.end() && !name->second.empty())
        return by_virtual_.find(name->second.begin()->second);
    return by_virtual_.end();
}

void VirtualFileRegistry::Remove(const std::string& disk_path) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = FindByDiskPath(disk_path);
    if (it != by_virtual_.end()) Erase(it);
}

void VirtualFileRegistry::RemoveVirtual(const std::string& virtual_path) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = by_virtual_.find(virtual_path);
    if (it != by_virtual_.end()) Erase(it);
    served_.erase(virtual_path);
}

void VirtualFileRegistry::RemoveOwnedBy(const void* owner) {
    if (!owner) return;
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = by_virtual_.begin(); it != by_virtual_.end();) {
        auto next = std::next(it);
        if (it->second.owner == owner) Erase(it);
        it = next;
    }
}

std::unique_ptr<UpnpFileInterface> VirtualFileRegistry::OpenByPath(const std::string& disk_path,
                                                                   int mode) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = FindByDiskPath(disk_path);
    if (it == by_virtual_.end()) return nullptr;
    auto file = it->second.factory->Open(mode);
    return file && file->IsOpen() ? std::move(file) : nullptr;
}

std::string VirtualFileRegistry::ReadByPath(const std::string& disk_path) {
    auto file = OpenByPath(disk_path, UPNP_READ);
    std::string text;
    if (!file) return text;
    char buffer[4096];
    for (int n; (n = file->Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return text;
}

bool VirtualFileRegistry::GetInfoByPath(const std::string& disk_path, UpnpFileInfo* info) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = FindByDiskPath(disk_path);
    return it != by_virtual_.end() && it->second.factory->GetInfo(info);
}

std::unique_ptr<UpnpFileInterface> VirtualFileRegistry::Open(const std::string& virtual_path,
                                                             int mode) {
    std::shared_ptr<UpnpFileFactory> factory;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        factory = FindLocked(virtual_path);
        if (!factory) return nullptr;
    }
    // Opening a disk file is I/O: not under the registry's lock.
    auto file = factory->Open(mode);
    return file && file->IsOpen() ? std::move(file) : nullptr;
}

bool VirtualFileRegistry::GetInfo(const std::string& virtual_path, UpnpFileInfo* info) {
    std::shared_ptr<UpnpFileFactory> factory;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        factory = FindLocked(virtual_path);
        if (!factory) return false;
    }
    return factory->GetInfo(info);
}

void VirtualFileRegistry::SetAccessGuard(const std::string& prefix, AccessGuard guard) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (guard)
        guards_[prefix] = std::make_shared<AccessGuard>(std::move(guard));
    else
        guards_.erase(prefix);
}

bool VirtualFileRegistry::MayServe(const std::string& virtual_path,
                                   const sockaddr_storage* client) {
    std::vector<std::shared_ptr<AccessGuard>> guards;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [prefix, guard] : guards_)
            if (virtual_path.compare(0, prefix.size(), prefix) == 0) guards.push_back(guard);
    }
    if (guards.empty()) return true;
    // A guard may look up the client's hardware address: not under the lock.
    const std::string address = IPv4AddressText(client);
    for (const auto& guard : guards)
        if (!(*guard)(virtual_path, address)) return false;
    return true;
}

void VirtualFileRegistry::SetResponseHeaders(const std::string& prefix, ResponseHeaders headers) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (headers)
        response_headers_[prefix] = std::make_shared<ResponseHeaders>(std::move(headers));
    else
        response_headers_.erase(prefix);
}

void VirtualFileRegistry::AddResponseHeaders(const std::string& virtual_path,
                                             UpnpFileInfo* info) {
    // libupnp's own type for a list it owns and frees.
    auto* list = const_cast<UpnpListHead*>(UpnpFileInfo_get_ExtraHeadersList(info));
    Headers request;
    for (UpnpListIter pos = UpnpListBegin(list); pos != UpnpListEnd(list);
         pos = UpnpListNext(list, pos)) {
        const auto* extra = reinterpret_cast<const UpnpExtraHeaders*>(pos);
        const char* name = UpnpExtraHeaders_get_name_cstr(extra);
        const char* value = UpnpExtraHeaders_get_value_cstr(extra);
        request.emplace_back(name ? name : "", value ? value : "");
    }
    const char* type = UpnpFileInfo_get_ContentType_cstr(info);
    for (const auto& [name, value] : ResponseHeadersFor(virtual_path, type ? type : "", request)) {
        UpnpExtraHeaders* extra = UpnpExtraHeaders_new();
        if (!extra) return;
        std::string line = name + ": " + value;
        UpnpExtraHeaders_set_resp(extra, line.data());
        UpnpListInsert(list, UpnpListEnd(list),
                       const_cast<UpnpListHead*>(UpnpExtraHeaders_get_node(extra)));
    }
}

std::shared_ptr<UpnpFileFactory> VirtualFileRegistry::Find(const std::string& virtual_path) {
    std::lock_guard<std::mutex> guard(mutex_);
    return FindLocked(virtual_path);
}

VirtualFileRegistry::Headers VirtualFileRegistry::ResponseHeadersFor(
    const std::string& virtual_path, const std::string& content_type, const Headers& request) {
    std::vector<std::shared_ptr<ResponseHeaders>> sources;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [prefix, source] : response_headers_)
            if (virtual_path.compare(0, prefix.size(), prefix) == 0) sources.push_back(source);
    }
    Headers answer;
    for (const auto& source : sources)
        for (auto& header : (*source)(virtual_path, content_type, request))
            answer.push_back(std::move(header));
    return answer;
}

void VirtualFileRegistry::ServeElsewhere(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    elsewhere_ = prefix;
}

bool VirtualFileRegistry::ServedElsewhere(const std::string& virtual_path) {
    std::lock_guard<std::mutex> lock(mutex_);
    return !elsewhere_.empty() && virtual_path.compare(0, elsewhere_.size(), elsewhere_) == 0;
}

size_t VirtualFileRegistry::Size() {
    std::lock_guard<std::mutex> guard(mutex_);
    return by_virtual_.size() + served_.size();
}
