#include "SinkFormats.h"

#include <gst/gst.h>

#include <set>
#include <string_view>

namespace {

bool Playable(std::string_view type) {
    const bool media = type.starts_with("audio/") || type.starts_with("video/");
    return media && type != "audio/x-raw" && type != "video/x-raw";
}

void AddSinkTypes(GstElementFactory* factory, std::set<std::string>& types) {
    for (const GList* item = gst_element_factory_get_static_pad_templates(factory); item;
         item = item->next) {
        auto* pad = static_cast<GstStaticPadTemplate*>(item->data);
        if (pad->direction != GST_PAD_SINK) continue;
        GstCaps* caps = gst_static_pad_template_get_caps(pad);
        for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
            const char* name = gst_structure_get_name(gst_caps_get_structure(caps, i));
            if (Playable(name)) types.insert(name);
        }
        gst_caps_unref(caps);
    }
}

}  // namespace

std::vector<std::string> PlayableMediaTypes() {
    std::set<std::string> types;
    for (GstElementFactoryListType kind :
         {GST_ELEMENT_FACTORY_TYPE_DECODER, GST_ELEMENT_FACTORY_TYPE_DEMUXER}) {
        GList* factories = gst_element_factory_list_get_elements(kind, GST_RANK_MARGINAL);
        for (GList* item = factories; item; item = item->next)
            AddSinkTypes(GST_ELEMENT_FACTORY(item->data), types);
        gst_plugin_feature_list_free(factories);
    }
    return {types.begin(), types.end()};
}
