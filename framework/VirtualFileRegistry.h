#pragma once
#include <sys/types.h>
#include <upnp.h>

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "UpnpFileFactory.h"

// Everything the web server serves below "/": one factory per virtual path.
// Registering a path again replaces its entry. Entries are also found by the
// file they were made from (device and inode, or the normalised path when
// the file is gone), through indexes: a server may share 100,000 files.
// One registry per process.
class VirtualFileRegistry {
public:
    static VirtualFileRegistry& Instance();
    static void Destroy();

    // `owner` tags the entry (a device registers its own files with itself)
    // so that RemoveOwnedBy can take them out again; shared media has none.
    void AddMemoryFile(const std::string& disk_path, const std::string& virtual_path,
                       const std::string& content_type, int64_t last_modified, const char* data,
                       size_t length, const void* owner = nullptr);
    void AddDiscFile(const std::string& disk_path, const std::string& virtual_path,
                     const std::string& content_type, const void* owner = nullptr);
    // Found only by its virtual path, never by the disk path (which is
    // neither looked at nor indexed): for shared media, of which there may
    // be 100,000, each taken out again with RemoveVirtual.
    void AddServedFile(const std::string& disk_path, const std::string& virtual_path,
                       const std::string& content_type);
    // Found only by its virtual path, as AddServedFile.
    void AddGeneratedFile(const std::string& disk_path, const std::string& virtual_path,
                          const std::string& content_type,
                          UpnpGeneratedFileFactory::Producer producer);
    // Removes the earliest registered entry whose disk path names the same
    // file.
    void Remove(const std::string& disk_path);
    // Removes the entry served under that virtual path.
    void RemoveVirtual(const std::string& virtual_path);
    // Removes every entry registered with this owner.
    void RemoveOwnedBy(const void* owner);

    std::unique_ptr<UpnpFileInterface> OpenByPath(const std::string& disk_path, int mode);
    bool GetInfoByPath(const std::string& disk_path, UpnpFileInfo* info);
    // The whole content served for that disk path; empty when none.
    std::string ReadByPath(const std::string& disk_path);

    // What the web server's callbacks do, by virtual path.
    std::unique_ptr<UpnpFileInterface> Open(const std::string& virtual_path, int mode);
    bool GetInfo(const std::string& virtual_path, UpnpFileInfo* info);

    // Paths below `prefix` are served by another server (MediaHttpServer):
    // libupnp's web server answers 404 for them, so that no client can hold
    // one of its few threads with a large file it never reads. Empty: none.
    void ServeElsewhere(const std::string& prefix);
    bool ServedElsewhere(const std::string& virtual_path);

    size_t Size();

    // Who may download what: a request for a path below `prefix` is served
    // only when the guard accepts the client's IPv4 address (empty for any
    // other client); libupnp answers 403 otherwise. A null guard removes the
    // prefix's guard.
    using AccessGuard =
        std::function<bool(const std::string& virtual_path, const std::string& client)>;
    void SetAccessGuard(const std::string& prefix, AccessGuard guard);
    bool MayServe(const std::string& virtual_path, const sockaddr_storage* client);

    // Headers to add to the answer for a path below `prefix`, from the
    // served path, its content type and the request's headers libupnp does
    // not read itself. A null function removes the prefix's.
    using Header = std::pair<std::string, std::string>;
    using Headers = std::vector<Header>;
    using ResponseHeaders = std::function<Headers(
        const std::string& virtual_path, const std::string& content_type, const Headers& request)>;
    void SetResponseHeaders(const std::string& prefix, ResponseHeaders headers);
    // libupnp hands the request's unread headers in `info`'s extra headers
    // and sends back those of them that carry a response line: the headers
    // for `virtual_path` are appended as such.
    void AddResponseHeaders(const std::string& virtual_path, UpnpFileInfo* info);

    // The entry served under that virtual path, for a server of its own
    // (MediaHttpServer); null when none.
    std::shared_ptr<UpnpFileFactory> Find(const std::string& virtual_path);
    // The headers SetResponseHeaders gives for that path.
    Headers ResponseHeadersFor(const std::string& virtual_path, const std::string& content_type,
                               const Headers& request);

    // Hands libupnp the six callbacks. libupnp forgets them at every start,
    // so the device installs them again each time it is served.
    static void InstallCallbacks();

private:
    struct FileKey {
        dev_t device = 0;
        ino_t inode = 0;
        auto operator<=>(const FileKey&) const = default;
    };
    struct Entry {
        std::shared_ptr<UpnpFileFactory> factory;
        uint64_t sequence = 0;
        bool has_key = false;
        FileKey key;
        std::string normal_path;
        const void* owner = nullptr;
        bool indexed = true;  // by disk path too
    };
    // Registration order within each index, so "the earliest" is begin().
    using Ordered = std::map<uint64_t, std::string>;  // sequence -> virtual path

    VirtualFileRegistry();
    void Add(std::shared_ptr<UpnpFileFactory> factory, const void* owner, bool indexed = true);
    // Callers hold mutex_.
    std::shared_ptr<UpnpFileFactory> FindLocked(const std::string& virtual_path);
    void Erase(std::unordered_map<std::string, Entry>::iterator it);
    // The entry for that disk path, or end().
    std::unordered_map<std::string, Entry>::iterator FindByDiskPath(const std::string& disk_path);

    std::mutex mutex_;
    uint64_t next_sequence_ = 0;
    std::unordered_map<std::string, Entry> by_virtual_;
    std::map<FileKey, Ordered> by_identity_;
    std::unordered_map<std::string, Ordered> by_name_;
    std::map<std::string, std::shared_ptr<AccessGuard>> guards_;
    std::map<std::string, std::shared_ptr<ResponseHeaders>> response_headers_;
    // Shared media, by virtual path: a path and a content type each, their
    // factory made per request (a server may share 100,000 files).
    struct Served {
        std::string disk_path;
        uint32_t content_type;  // in content_types_
    };
    std::unordered_map<std::string, Served> served_;
    std::vector<std::string> content_types_;
    std::string elsewhere_;
};
