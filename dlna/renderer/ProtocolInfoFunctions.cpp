// The protocol lists the local ConnectionManagers report: the renderer's
// Sink list, the server's Source list.
#include "ApiGuard.h"
#include "ConnectionManagerChannel.h"
#include "DLNA.h"
#include "DLNAContext.h"
#include "MediaRenderer.h"
#include "MediaServer.h"

namespace {

bool Complete(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    if (count > 0 && !infos) return false;
    for (unsigned i = 0; i < count; ++i) {
        const DLNA_PROTOCOL_INFO& info = infos[i];
        if (!info.protocol || !info.network || !info.content_format || !info.additional_info)
            return false;
    }
    return true;
}

template <class Set>
int SetList(const char* function, const DLNA_PROTOCOL_INFO* infos, unsigned count, Set set) {
    return Guarded(function, static_cast<int>(DLNA_E_INVALID_ARGUMENT), [&] {
        if (!Complete(infos, count)) return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        set(DLNAContext::Instance(), infos, count);
        return static_cast<int>(DLNA_OK);
    });
}

}  // namespace

extern "C" {

int DLNA_DMR_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    return SetList("DLNA_DMR_SetProtocolInfo", infos, count,
                   [](DLNAContext& context, auto... args) {
                       context.Renderer().ConnectionManager().SetSinkList(args...);
                   });
}

int DLNA_DMS_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    return SetList("DLNA_DMS_SetProtocolInfo", infos, count,
                   [](DLNAContext& context, auto... args) {
                       context.Server().ConnectionManager().SetSourceList(args...);
                   });
}

}  // extern "C"
