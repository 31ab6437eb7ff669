#include "renderer/RecordFields.h"

ResponseValues ResponseValuesOf(const UpnpAction& action) {
    ResponseValues values;
    // The first of a repeated argument counts, as ResponseValue reads it.
    for (const auto& [name, text] : action.ResponseArguments()) values.emplace(name, text);
    return values;
}
