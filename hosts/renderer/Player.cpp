#include "Player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

GstElement* MakeSink(const std::string& description, const char* what, std::string* error) {
    if (description.empty()) return nullptr;
    GError* parse_error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &parse_error);
    if (!sink) {
        *error = std::string("cannot make the ") + what + " sink \"" + description +
                 "\": " + (parse_error ? parse_error->message : "unknown error") +
                 "; check the element names with gst-inspect-1.0 or install the plugin package "
                 "that has them";
        if (parse_error) g_error_free(parse_error);
    }
    return sink;
}

}  // namespace

std::unique_ptr<Player> Player::Create(const std::string& audio_sink, const std::string& video_sink,
                                       std::string* error) {
    GstElement* playbin = gst_element_factory_make("playbin", "player");
    if (!playbin) {
        *error = "GStreamer has no playbin element; install gstreamer1.0-plugins-base";
        return nullptr;
    }
    for (const auto& [description, property, what] :
         {std::tuple{audio_sink, "audio-sink", "audio"}, {video_sink, "video-sink", "video"}}) {
        GstElement* sink = MakeSink(description, what, error);
        if (!sink && !description.empty()) {
            gst_object_unref(playbin);
            return nullptr;
        }
        if (sink) g_object_set(playbin, property, sink, nullptr);
    }
    // The automatic sinks come from gstreamer1.0-plugins-good.
    for (const auto& [description, factory] :
         {std::pair{audio_sink, "autoaudiosink"}, {video_sink, "autovideosink"}}) {
        GstElementFactory* found =
            description.empty() ? gst_element_factory_find(factory) : nullptr;
        if (found) gst_object_unref(found);
        if (description.empty() && !found) {
            *error = std::string("GStreamer has no ") + factory +
                     " element; install gstreamer1.0-plugins-good or choose a sink with --" +
                     (std::string(factory) == "autoaudiosink" ? "audio-sink" : "video-sink");
            gst_object_unref(playbin);
            return nullptr;
        }
    }
    return std::unique_ptr<Player>(new Player(playbin));
}

Player::Player(GstElement* playbin)
    : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)), playbin_(playbin) {
    GstBus* bus = gst_element_get_bus(playbin_);
    bus_watch_ = gst_bus_create_watch(bus);
    g_source_set_callback(bus_watch_, G_SOURCE_FUNC(&Player::OnBusMessage), this, nullptr);
    g_source_attach(bus_watch_, context_);
    gst_object_unref(bus);
    thread_ = std::thread([this] {
        g_main_context_push_thread_default(context_);
        g_main_loop_run(loop_);
        g_main_context_pop_thread_default(context_);
    });
}

Player::~Player() {
    Run([this] { gst_element_set_state(playbin_, GST_STATE_NULL); });
    g_main_loop_quit(loop_);
    thread_.join();
    g_source_destroy(bus_watch_);
    g_source_unref(bus_watch_);
    gst_object_unref(playbin_);
    g_main_loop_unref(loop_);
    g_main_context_unref(context_);
}

void Player::Post(std::function<void()> task) {
    using Task = std::function<void()>;
    g_main_context_invoke_full(
        context_, G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            (*static_cast<Task*>(data))();
            return G_SOURCE_REMOVE;
        },
        new Task(std::move(task)), [](gpointer data) { delete static_cast<Task*>(data); });
}

void Player::SetState(GstState state, DLNA_TRANSPORT_STATE reported) {
    if (uri_.empty()) return;
    if (gst_element_set_state(playbin_, state) == GST_STATE_CHANGE_FAILURE) {
        failed_ = true;
        state_ = DLNA_STOPPED;
        return;
    }
    state_ = reported;
}

void Player::LoadOnLoop(const std::string& uri) {
    gst_element_set_state(playbin_, GST_STATE_NULL);
    uri_ = uri;
    failed_ = false;
    state_ = DLNA_STOPPED;
    g_object_set(playbin_, "uri", uri.c_str(), nullptr);
    // Prerolling learns the duration and finds an unplayable URI early.
    SetState(GST_STATE_PAUSED, DLNA_STOPPED);
}

void Player::Load(const std::string& uri) {
    Run([this, uri] {
        next_uri_.clear();
        LoadOnLoop(uri);
    });
}

void Player::SetNext(const std::string& uri) {
    Run([this, uri] { next_uri_ = uri; });
}

void Player::Play() {
    Run([this] { SetState(GST_STATE_PLAYING, DLNA_PLAYING); });
}

void Player::Pause() {
    Run([this] { SetState(GST_STATE_PAUSED, DLNA_PAUSED_PLAYBACK); });
}

void Player::Stop() {
    // READY keeps the URI and starts it over on the next Play.
    Run([this] { SetState(GST_STATE_READY, DLNA_STOPPED); });
}

bool Player::Seek(int64_t position) {
    return Run([this, position] {
               if (uri_.empty() || failed_) return false;
               // A stopped pipeline seeks once it has prerolled again.
               if (state_ == DLNA_STOPPED) gst_element_set_state(playbin_, GST_STATE_PAUSED);
               // playbin refuses a seek while it is still changing state.
               gst_element_get_state(playbin_, nullptr, nullptr, GST_SECOND);
               return static_cast<bool>(gst_element_seek_simple(
                   playbin_, GST_FORMAT_TIME,
                   static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                   position));
           })
        .value_or(false);
}

void Player::SetVolume(int volume) {
    const double level = std::clamp(volume, 0, 100) / 100.0;
    Run([this, level] { g_object_set(playbin_, "volume", level, nullptr); });
}

Player::Status Player::Current() {
    return Run([this] {
               Status status;
               status.state = state_;
               status.failed = failed_;
               status.uri = uri_;
               status.next_uri = next_uri_;
               gint64 value = -1;
               if (gst_element_query_position(playbin_, GST_FORMAT_TIME, &value))
                   status.position = value;
               if (gst_element_query_duration(playbin_, GST_FORMAT_TIME, &value))
                   status.duration = value;
               gdouble volume = 1.0;
               g_object_get(playbin_, "volume", &volume, nullptr);
               status.volume = static_cast<int>(std::lround(volume * 100));
               return status;
           })
        .value_or(Status{});
}

gboolean Player::OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<Player*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            if (!self->next_uri_.empty()) {
                const std::string next = self->next_uri_;
                self->next_uri_.clear();
                self->LoadOnLoop(next);
                self->SetState(GST_STATE_PLAYING, DLNA_PLAYING);
            } else {
                self->SetState(GST_STATE_READY, DLNA_STOPPED);
            }
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            std::fprintf(stderr, "dlna-renderer: cannot play %s: %s\n", self->uri_.c_str(),
                         error ? error->message : "unknown error");
            if (error) g_error_free(error);
            gst_element_set_state(self->playbin_, GST_STATE_READY);
            self->failed_ = true;
            self->state_ = DLNA_STOPPED;
            break;
        }
        default:
            break;
    }
    return G_SOURCE_CONTINUE;
}
