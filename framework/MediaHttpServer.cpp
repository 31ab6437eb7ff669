#include "MediaHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <optional>

#include "HostValidation.h"
#include "Logger.h"
#include "UpnpFileFactory.h"
#include "VirtualFileRegistry.h"

// libmicrohttpd before 0.9.71 answered int, not enum MHD_Result.
#if MHD_VERSION < 0x00097002
using MHD_Result = int;
#endif

namespace {

// libmicrohttpd 1.0 deprecates the buffer-mode calls 0.9 has only.
MHD_Response* EmptyResponse() {
#if MHD_VERSION >= 0x00097701
    return MHD_create_response_empty(MHD_RF_NONE);
#else
    return MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
#endif
}

MHD_Response* CopiedResponse(const char* data, size_t length) {
#if MHD_VERSION >= 0x00097701
    return MHD_create_response_from_buffer_copy(length, data);
#else
    return MHD_create_response_from_buffer(length, const_cast<char*>(data), MHD_RESPMEM_MUST_COPY);
#endif
}

struct ByteRange {
    uint64_t first = 0;
    uint64_t length = 0;
};

// One range of "bytes=a-b", "bytes=a-" or "bytes=-n" against `size`:
// nullopt to serve the whole file (no range, several, or one we do not
// read), a zero-length range when none of it lies in the file.
std::optional<ByteRange> ParseRange(const char* header, uint64_t size, bool* unsatisfiable) {
    *unsatisfiable = false;
    if (!header) return std::nullopt;
    std::string_view text(header);
    if (!text.starts_with("bytes=") || text.find(',') != std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(6);
    const size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto number = [](std::string_view digits, uint64_t* out) {
        if (digits.empty() || digits.size() > 19) return false;
        uint64_t value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + static_cast<uint64_t>(c - '0');
        }
        *out = value;
        return true;
    };
    uint64_t first = 0, last = 0;
    const std::string_view from = text.substr(0, dash), to = text.substr(dash + 1);
    if (from.empty()) {
        if (!number(to, &last) || last == 0) return std::nullopt;
        first = last >= size ? 0 : size - last;
        last = size ? size - 1 : 0;
    } else {
        if (!number(from, &first)) return std::nullopt;
        if (to.empty()) {
            last = size ? size - 1 : 0;
        } else if (!number(to, &last) || last < first) {
            return std::nullopt;
        }
        if (last >= size) last = size ? size - 1 : 0;
    }
    if (first >= size) {
        *unsatisfiable = true;
        return ByteRange{};
    }
    return ByteRange{first, last - first + 1};
}

MHD_Result CollectHeader(void* headers, MHD_ValueKind, const char* name, const char* value) {
    static_cast<VirtualFileRegistry::Headers*>(headers)->emplace_back(name ? name : "",
                                                                     value ? value : "");
    return MHD_YES;
}

int Queue(MHD_Connection* connection, unsigned status, MHD_Response* response) {
    if (!response) return MHD_NO;
    const auto queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

int Refuse(MHD_Connection* connection, unsigned status) {
    return Queue(connection, status, EmptyResponse());
}

}  // namespace

MediaHttpServer::~MediaHttpServer() { Stop(); }

bool MediaHttpServer::Start(const Settings& settings, std::string* error) {
    Stop();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(settings.port));
    if (inet_pton(AF_INET, settings.address.c_str(), &address.sin_addr) != 1) {
        *error = "not an IPv4 address: " + settings.address;
        return false;
    }
    // Where sendfile could still raise SIGPIPE, a client that hangs up must
    // not end the process.
    if (MHD_is_feature_supported(MHD_FEATURE_AUTOSUPPRESS_SIGPIPE) != MHD_YES)
        ::signal(SIGPIPE, SIG_IGN);
    settings_ = settings;
    const auto handler = [](void* self, MHD_Connection* connection, const char* url,
                            const char* method, const char*, const char*, size_t*,
                            void**) -> MHD_Result {
        return static_cast<MHD_Result>(
            static_cast<MediaHttpServer*>(self)->Answer(connection, url, method));
    };
    daemon_ = MHD_start_daemon(
        MHD_USE_EPOLL_INTERNAL_THREAD, 0, nullptr, nullptr, handler, this,
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address),
        MHD_OPTION_LISTENING_ADDRESS_REUSE, 1u,
        MHD_OPTION_THREAD_POOL_SIZE, settings.threads,
        MHD_OPTION_CONNECTION_TIMEOUT, settings.idle_seconds,
        MHD_OPTION_CONNECTION_LIMIT, settings.connections,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, settings.per_client,
        MHD_OPTION_END);
    if (!daemon_) {
        *error = "cannot serve media on " + settings.address + ":" + std::to_string(settings.port);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info ? info->port : settings.port;
    return true;
}

void MediaHttpServer::Stop() {
    if (daemon_) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    port_ = 0;
}

int MediaHttpServer::Answer(MHD_Connection* connection, const char* url, const char* method) {
    const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
    if (!head && std::strcmp(method, MHD_HTTP_METHOD_GET) != 0)
        return Refuse(connection, MHD_HTTP_METHOD_NOT_ALLOWED);

    // A name a web page's DNS points at us is refused, as on libupnp's port.
    if (const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
        host && !IsOwnHost(host, OwnHosts{{settings_.address}, {port_}})) {
        LogLine(FrameworkLog(), LogLevel::Warning)
            << "Request refused: Host \"" << LogSafe(host, 64) << "\" is not this server";
        return Refuse(connection, MHD_HTTP_FORBIDDEN);
    }

    auto& registry = VirtualFileRegistry::Instance();
    const std::string path = url ? url : "";
    sockaddr_storage client{};
    if (const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        info && info->client_addr) {
        const size_t size = info->client_addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6)
                                                                       : sizeof(sockaddr_in);
        std::memcpy(&client, info->client_addr, size);
    }
    if (!registry.MayServe(path, &client)) return Refuse(connection, MHD_HTTP_FORBIDDEN);
    const std::shared_ptr<UpnpFileFactory> factory = registry.Find(path);
    if (!factory) return Refuse(connection, MHD_HTTP_NOT_FOUND);

    // Files go out from their descriptor (sendfile); what is made in memory
    // (covers, descriptions) is small and copied.
    int fd = -1;
    std::string bytes;
    uint64_t size = 0;
    if (dynamic_cast<UpnpDiscFileFactory*>(factory.get())) {
        fd = ::open(factory->disk_path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (fd >= 0) ::close(fd);
            return Refuse(connection, MHD_HTTP_NOT_FOUND);
        }
        size = static_cast<uint64_t>(info.st_size);
    } else {
        auto file = factory->Open(0);
        if (!file) return Refuse(connection, MHD_HTTP_NOT_FOUND);
        char buffer[16384];
        for (int n; (n = file->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
        size = bytes.size();
    }

    bool unsatisfiable = false;
    const auto range = ParseRange(
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_RANGE), size,
        &unsatisfiable);
    if (unsatisfiable) {
        if (fd >= 0) ::close(fd);
        MHD_Response* response = EmptyResponse();
        if (response)
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE,
                                    ("bytes */" + std::to_string(size)).c_str());
        return Queue(connection, MHD_HTTP_RANGE_NOT_SATISFIABLE, response);
    }
    const uint64_t first = range ? range->first : 0;
    const uint64_t length = range ? range->length : size;

    MHD_Response* response = nullptr;
    if (fd >= 0 && length > 0) {
        response = MHD_create_response_from_fd_at_offset64(length, fd, first);  // owns fd
        if (!response) ::close(fd);
    } else {
        if (fd >= 0) ::close(fd);
        response = CopiedResponse(bytes.data() + first, static_cast<size_t>(length));
    }
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, factory->content_type.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
    if (range)
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE,
                                ("bytes " + std::to_string(first) + "-" +
                                 std::to_string(first + length - 1) + "/" + std::to_string(size))
                                    .c_str());
    VirtualFileRegistry::Headers request;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, CollectHeader, &request);
    for (const auto& [name, value] : registry.ResponseHeadersFor(path, factory->content_type, request))
        MHD_add_response_header(response, name.c_str(), value.c_str());
    return Queue(connection, range ? MHD_HTTP_PARTIAL_CONTENT : MHD_HTTP_OK, response);
}
