#include "Player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace {

// A sink from a gst-launch description, or the automatic one of `factory`.
GstElement* MakeSink(const std::string& description, const char* factory, const char* what,
                     std::string* error) {
    if (description.empty()) {
        GstElement* sink = gst_element_factory_make(factory, nullptr);
        // The automatic sinks come from gstreamer1.0-plugins-good.
        if (!sink)
            *error = std::string("GStreamer has no ") + factory +
                     " element; install gstreamer1.0-plugins-good or choose a sink with --" +
                     what + "-sink";
        return sink;
    }
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
    GstElement* audio = MakeSink(audio_sink, "autoaudiosink", "audio", error);
    GstElement* video = audio ? MakeSink(video_sink, "autovideosink", "video", error) : nullptr;
    if (!audio || !video) {
        if (audio) gst_object_unref(audio);
        gst_object_unref(playbin);
        return nullptr;
    }
    g_object_set(playbin, "audio-sink", audio, "video-sink", video, nullptr);
    return std::unique_ptr<Player>(new Player(playbin, audio, video));
}

Player::Player(GstElement* playbin, GstElement* audio_sink, GstElement* video_sink)
    : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)), playbin_(playbin) {
    GstBus* bus = gst_element_get_bus(playbin_);
    bus_watch_ = gst_bus_create_watch(bus);
    g_source_set_callback(bus_watch_, G_SOURCE_FUNC(&Player::OnBusMessage), this, nullptr);
    g_source_attach(bus_watch_, context_);
    gst_object_unref(bus);
    g_signal_connect(playbin_, "element-setup", G_CALLBACK(&Player::OnElementSetup), this);
    g_signal_connect_swapped(playbin_, "notify::volume", G_CALLBACK(+[](Player* self) {
                                 self->Post([self] { self->Changed(); });
                             }),
                             this);
    for (GstElement* sink : {audio_sink, video_sink}) {
        if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &Player::OnSinkEvent, this,
                              nullptr);
            gst_object_unref(pad);
        }
    }
    thread_ = std::thread([this] {
        g_main_context_push_thread_default(context_);
        g_main_loop_run(loop_);
        g_main_context_pop_thread_default(context_);
    });
}

Player::~Player() {
    g_signal_handlers_disconnect_by_data(playbin_, this);
    Run([this] {
        listener_ = nullptr;
        gst_element_set_state(playbin_, GST_STATE_NULL);
    });
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

void Player::SetListener(Listener listener) {
    Run([this, listener = std::move(listener)]() mutable { listener_ = std::move(listener); });
}

int64_t Player::Duration() {
    gint64 value = -1;
    if (gst_element_query_duration(playbin_, GST_FORMAT_TIME, &value)) duration_ = value;
    return duration_;
}

Player::Status Player::Snapshot() {
    Status status;
    status.state = state_;
    status.failed = failed_;
    status.uri = uri_;
    status.metadata = metadata_;
    status.next_uri = next_uri_;
    status.next_metadata = next_metadata_;
    status.revision = revision_;
    gint64 value = -1;
    // Until a seek is done the pipeline answers with where it was.
    if (seeking_to_ >= 0)
        status.position = seeking_to_;
    else if (gst_element_query_position(playbin_, GST_FORMAT_TIME, &value))
        status.position = value;
    status.duration = Duration();
    gdouble volume = 1.0;
    g_object_get(playbin_, "volume", &volume, nullptr);
    status.volume = static_cast<int>(std::lround(volume * 100));
    return status;
}

void Player::Changed() {
    ++revision_;
    if (listener_) listener_(Snapshot());
}

void Player::SetState(GstState state, DLNA_TRANSPORT_STATE reported) {
    if (uri_.empty()) return;
    if (state == GST_STATE_READY) {
        skip_to_ = -1;
        seeking_to_ = -1;
    }
    if (gst_element_set_state(playbin_, state) == GST_STATE_CHANGE_FAILURE) {
        failed_ = true;
        state_ = DLNA_STOPPED;
    } else {
        state_ = reported;
    }
    Changed();
}

void Player::LoadOnLoop(const std::string& uri, const std::string& metadata) {
    gst_element_set_state(playbin_, GST_STATE_NULL);
    uri_ = uri;
    metadata_ = metadata;
    failed_ = false;
    no_ranges_ = false;
    seeking_to_ = -1;
    skip_to_ = -1;
    duration_ = -1;
    state_ = DLNA_STOPPED;
    // OnHaveType puts imagefreeze back for an image.
    g_object_set(playbin_, "uri", uri.c_str(), "video-filter", nullptr, nullptr);
    // Prerolling learns the duration and finds an unplayable URI early.
    SetState(GST_STATE_PAUSED, DLNA_STOPPED);
}

void Player::Load(const std::string& uri, const std::string& metadata) {
    Run([this, uri, metadata] {
        next_uri_.clear();
        next_metadata_.clear();
        LoadOnLoop(uri, metadata);
    });
}

void Player::SetNext(const std::string& uri, const std::string& metadata) {
    Run([this, uri, metadata] {
        next_uri_ = uri;
        next_metadata_ = metadata;
        Changed();
    });
}

void Player::Play() {
    Run([this] {
        failed_ = false;
        SetState(GST_STATE_PLAYING, DLNA_PLAYING);
    });
}

void Player::Pause() {
    Run([this] { SetState(GST_STATE_PAUSED, DLNA_PAUSED_PLAYBACK); });
}

void Player::Stop() {
    // READY keeps the URI and starts it over on the next Play.
    Run([this] { SetState(GST_STATE_READY, DLNA_STOPPED); });
}

void Player::Restart(int64_t position) {
    // NULL also drops the old stream's messages still on the bus.
    gst_element_set_state(playbin_, GST_STATE_NULL);
    skip_to_ = position;
    seeking_to_ = position;
    if (gst_element_set_state(playbin_, state_ == DLNA_PLAYING ? GST_STATE_PLAYING
                                                               : GST_STATE_PAUSED) ==
        GST_STATE_CHANGE_FAILURE) {
        failed_ = true;
        state_ = DLNA_STOPPED;
    }
    Changed();
}

Player::SeekResult Player::Seek(int64_t position) {
    return Run([this, position] {
               if (uri_.empty() || failed_) return SeekResult::kNoMedia;
               // A stopped pipeline seeks once it has prerolled again.
               if (state_ == DLNA_STOPPED) gst_element_set_state(playbin_, GST_STATE_PAUSED);
               // playbin refuses a seek while it is still changing state.
               gst_element_get_state(playbin_, nullptr, nullptr, GST_SECOND);
               const int64_t duration = Duration();
               if (duration >= 0 && position > duration) return SeekResult::kOutOfRange;
               gboolean seekable = FALSE;
               GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
               if (gst_element_query(playbin_, query))
                   gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
               gst_query_unref(query);
               if (!seekable || no_ranges_) {
                   // Reading from the start reaches any point of a stream of
                   // known length; a live one has none to reach.
                   if (duration <= 0) return SeekResult::kNotSeekable;
                   Restart(position);
                   return SeekResult::kDone;
               }
               skip_to_ = -1;
               seeking_to_ = position;
               if (!gst_element_seek_simple(
                       playbin_, GST_FORMAT_TIME,
                       static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                       position)) {
                   seeking_to_ = -1;
                   return SeekResult::kNotSeekable;
               }
               return SeekResult::kDone;
           })
        .value_or(SeekResult::kNotSeekable);
}

void Player::SetVolume(int volume) {
    const double level = std::clamp(volume, 0, 100) / 100.0;
    Run([this, level] { g_object_set(playbin_, "volume", level, nullptr); });
}

Player::Status Player::Current() {
    return Run([this] { return Snapshot(); }).value_or(Status{});
}

void Player::OnElementSetup(GstElement*, GstElement* element, gpointer self) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && std::string_view(gst_plugin_feature_get_name(factory)) == "typefind")
        g_signal_connect(element, "have-type", G_CALLBACK(&Player::OnHaveType), self);
}

// On a streaming thread, before the decoder is chosen: a still image becomes
// an endless stream of its one frame, so it shows (and plays) until Stop.
void Player::OnHaveType(GstElement*, guint, GstCaps* caps, gpointer data) {
    auto* self = static_cast<Player*>(data);
    if (gst_caps_get_size(caps) == 0 ||
        !std::string_view(gst_structure_get_name(gst_caps_get_structure(caps, 0)))
             .starts_with("image/"))
        return;
    GstElement* filter = nullptr;
    g_object_get(self->playbin_, "video-filter", &filter, nullptr);
    if (filter) {
        gst_object_unref(filter);
        return;
    }
    if (GstElement* freeze = gst_element_factory_make("imagefreeze", nullptr))
        g_object_set(self->playbin_, "video-filter", freeze, nullptr);
}

// After Restart the sinks' segments start at the target, so what comes
// before it is dropped unplayed and the position counts from there.
GstPadProbeReturn Player::OnSinkEvent(GstPad*, GstPadProbeInfo* info, gpointer data) {
    const int64_t target = static_cast<Player*>(data)->skip_to_;
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (target < 0 || GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT) return GST_PAD_PROBE_OK;
    GstSegment segment;
    gst_event_copy_segment(event, &segment);
    const auto start = static_cast<guint64>(target);
    if (segment.format != GST_FORMAT_TIME || segment.rate < 0 || segment.start >= start)
        return GST_PAD_PROBE_OK;
    segment.time += start - segment.start;
    segment.start = segment.position = start;
    GstEvent* moved = gst_event_new_segment(&segment);
    gst_event_set_seqnum(moved, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = moved;
    return GST_PAD_PROBE_OK;
}

void Player::OnError(GstMessage* message) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    // A server that answers a byte range with the whole body: fetch the
    // stream again from its start instead, once: the stream read anew must
    // not need ranges itself.
    if (seeking_to_ >= 0 && !no_ranges_ && error && error->domain == GST_RESOURCE_ERROR &&
        error->code == GST_RESOURCE_ERROR_SEEK) {
        std::fprintf(stderr,
                     "dlna-renderer: the server of %s sends no byte ranges; reading it from the "
                     "start to seek\n",
                     uri_.c_str());
        g_error_free(error);
        no_ranges_ = true;
        Restart(seeking_to_);
        return;
    }
    std::fprintf(stderr, "dlna-renderer: cannot play %s: %s\n", uri_.c_str(),
                 error ? error->message : "unknown error");
    if (error) g_error_free(error);
    gst_element_set_state(playbin_, GST_STATE_READY);
    failed_ = true;
    state_ = DLNA_STOPPED;
    seeking_to_ = -1;
    skip_to_ = -1;
    Changed();
}

gboolean Player::OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* self = static_cast<Player*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            if (!self->next_uri_.empty()) {
                const std::string next = self->next_uri_, metadata = self->next_metadata_;
                self->next_uri_.clear();
                self->next_metadata_.clear();
                self->LoadOnLoop(next, metadata);
                self->SetState(GST_STATE_PLAYING, DLNA_PLAYING);
            } else {
                self->SetState(GST_STATE_READY, DLNA_STOPPED);
            }
            break;
        case GST_MESSAGE_ERROR:
            self->OnError(message);
            break;
        case GST_MESSAGE_ASYNC_DONE:
            // Prerolled, or a seek arrived: the duration and position are known.
            self->seeking_to_ = -1;
            self->Changed();
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            self->Changed();
            break;
        default:
            break;
    }
    return G_SOURCE_CONTINUE;
}
