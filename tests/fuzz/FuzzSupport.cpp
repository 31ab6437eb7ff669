#include "FuzzSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FuzzTarget.h"
#include "Xml.h"

namespace fs = std::filesystem;

std::map<std::string, FuzzEntry>& FuzzTargets() {
    static std::map<std::string, FuzzEntry> targets;
    return targets;
}

bool RegisterFuzzTarget(const char* name, FuzzEntry entry) {
    FuzzTargets()[name] = entry;
    return true;
}

#ifdef HALVORN_LIBFUZZER
void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::abort();
}
#endif

std::string ShippedData(const std::string& relative) {
    return std::string(HALVORN_SOURCE_DIR) + "/data/" + relative;
}

namespace {

struct Scratch {
    Scratch() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/halvorn-fuzz.XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::string WriteScratchFile(const std::string& name, std::string_view content) {
    const std::string path = ScratchFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

bool IxmlReadsSafely(std::string_view document) {
    document = document.substr(0, document.find('\0'));
    const auto cdata = document.rfind("<![CDATA[");
    if (cdata != std::string_view::npos && document.find("]]>", cdata) == std::string_view::npos)
        return false;
    const auto reference = document.rfind("&#");
    if (reference == std::string_view::npos) return true;
    return document.find_first_not_of("xX0123456789abcdefABCDEF", reference + 2) !=
           std::string_view::npos;
}

std::optional<FuzzRoute> ParseFuzzRoute(std::string_view input) {
    const auto line_end = input.find('\n');
    if (line_end == std::string_view::npos) return std::nullopt;
    const std::string_view route = input.substr(0, line_end);
    const auto blank = route.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const auto c_string = [](std::string_view text) {
        return std::string(text.substr(0, text.find('\0')));
    };
    return FuzzRoute{c_string(route.substr(0, blank)), c_string(route.substr(blank + 1)),
                     input.substr(line_end + 1)};
}

IXML_Document* ParseFuzzBody(std::string_view body) {
    if (!IxmlReadsSafely(body)) return nullptr;
    return ixmlParseBuffer(std::string(body).c_str());
}

FuzzActionRequest::FuzzActionRequest(const std::string& action, const std::string& service_id,
                                     IXML_Document* body)
    : request_(UpnpActionRequest_new()) {
    UpnpActionRequest_strcpy_ActionName(request_, action.c_str());
    UpnpActionRequest_strcpy_DevUDN(request_, "uuid:fuzz");
    UpnpActionRequest_strcpy_ServiceID(request_, service_id.c_str());
    UpnpActionRequest_set_ActionRequest(request_, body);
    sockaddr_storage peer{};
    auto* in = reinterpret_cast<sockaddr_in*>(&peer);
    in->sin_family = AF_INET;
    inet_pton(AF_INET, "198.51.100.2", &in->sin_addr);
    UpnpActionRequest_set_CtrlPtIPAddr(request_, &peer);
}

FuzzActionRequest::~FuzzActionRequest() {
    ixmlDocument_free(UpnpActionRequest_get_ActionRequest(request_));
    ixmlDocument_free(UpnpActionRequest_get_ActionResult(request_));
    UpnpActionRequest_set_ActionRequest(request_, nullptr);
    UpnpActionRequest_set_ActionResult(request_, nullptr);
    UpnpActionRequest_delete(request_);
}

void FuzzActionRequest::CheckAnswer(const std::string& action, const std::string& service_type) {
    const int code = UpnpActionRequest_get_ErrCode(request_);
    IXML_Document* result = UpnpActionRequest_get_ActionResult(request_);
    if (code != 0) {
        const std::string text = UpnpActionRequest_get_ErrStr_cstr(request_);
        FUZZ_CHECK(!text.empty() || code == 501);
        FUZZ_CHECK(text.size() < 180);
        // Only a response that failed half way holds arguments beside a code.
        FUZZ_CHECK(!result || code == 501);
        return;
    }
    if (!result) return;  // not executed: libupnp answers its own fault
    const std::string sent = xml::Serialize(result);
    const UniqueXmlDocument reread(ixmlParseBuffer(sent.c_str()));
    FUZZ_CHECK(reread != nullptr);
    if (!reread) return;
    const auto roots = xml::ChildElements(xml::AsNode(reread.get()));
    FUZZ_CHECK(roots.size() == 1);
    if (roots.size() != 1) return;
    IXML_Node* root = xml::AsNode(roots.front());
    FUZZ_CHECK(xml::LocalName(root) == action + "Response");
    const char* ns = ixmlNode_getNamespaceURI(root);
    FUZZ_CHECK(ns && service_type == ns);
    // Every out-argument reads back as the action wrote it.
    const auto sent_arguments =
        xml::ChildElements(xml::AsNode(xml::ChildElements(xml::AsNode(result)).front()));
    const auto read_arguments = xml::ChildElements(root);
    FUZZ_CHECK(sent_arguments.size() == read_arguments.size());
    for (size_t i = 0; i < sent_arguments.size() && i < read_arguments.size(); ++i)
        FUZZ_CHECK(xml::AllText(sent_arguments[i]) == xml::AllText(read_arguments[i]));
}
