// The protocol lists the local ConnectionManagers report: the renderer's
// Sink list, the server's Source list.
#include "DLNA.h"
#include "api/DLNAContext.h"
#include "common/ApiGuard.h"
#include "connection/ConnectionManagerChannel.h"
#include "content/ProtocolInfo.h"
#include "renderer/MediaRenderer.h"
#include "server/MediaServer.h"

namespace {

// Incomplete or repeated entries are left out; a NULL string refuses the
// whole list and changes nothing.
template <class Set>
int SetList(const char* function, const DLNA_PROTOCOL_INFO* infos, unsigned count, Set set) {
    return Guarded(function, static_cast<int>(DLNA_E_INVALID_ARGUMENT), [&] {
        ProtocolInfoList list;
        if (!ProtocolInfoList::FromArray(infos, count, &list))
            return static_cast<int>(DLNA_E_INVALID_ARGUMENT);
        set(DLNAContext::Instance(), std::move(list));
        return static_cast<int>(DLNA_OK);
    });
}

}  // namespace

extern "C" {

int DLNA_DMR_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    return SetList("DLNA_DMR_SetProtocolInfo", infos, count,
                   [](DLNAContext& context, ProtocolInfoList list) {
                       context.Renderer().ConnectionManager().SetSinkList(std::move(list));
                   });
}

int DLNA_DMS_SetProtocolInfo(const DLNA_PROTOCOL_INFO* infos, unsigned count) {
    return SetList("DLNA_DMS_SetProtocolInfo", infos, count,
                   [](DLNAContext& context, ProtocolInfoList list) {
                       context.Server().ConnectionManager().SetSourceList(std::move(list));
                   });
}

}  // extern "C"
