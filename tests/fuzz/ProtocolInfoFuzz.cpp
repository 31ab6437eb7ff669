// Protocol-info values as they arrive in GetProtocolInfo answers and in
// res@protocolInfo: one value, and a comma-separated list. What the library
// writes of a value or list must read back the same.
#include "FuzzSupport.h"
#include "FuzzTarget.h"
#include "content/ProtocolInfo.h"

HALVORN_FUZZ_TARGET(protocol_info) {
    const std::string_view text = AsText(data, size);
    const ProtocolInfo one = ProtocolInfo::Parse(text);
    if (one.IsComplete()) FUZZ_CHECK(ProtocolInfo::Parse(one.ToString()) == one);

    const ProtocolInfoList list = ProtocolInfoList::Parse(text);
    for (const auto& entry : list.Entries()) FUZZ_CHECK(entry && entry->IsComplete());
    const ProtocolInfoList again = ProtocolInfoList::Parse(list.ToString());
    FUZZ_CHECK(again.Size() == list.Size());
    for (size_t i = 0; i < again.Size() && i < list.Size(); ++i)
        FUZZ_CHECK(*again.Entries()[i] == *list.Entries()[i]);
}
