#pragma once
// Playback through GStreamer's playbin. Every pipeline operation runs on the
// player's own GLib main loop thread, where the bus is watched too, so a
// command and the end or failure of a stream never interleave. Callers wait
// for a command only as long as playbin takes to accept it.
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

#include "DLNA.h"

class Player {
public:
    struct Status {
        DLNA_TRANSPORT_STATE state = DLNA_NO_MEDIA_PRESENT;
        bool failed = false;  // the current URI could not be played
        std::string uri, metadata;
        std::string next_uri, next_metadata;
        int64_t position = -1;  // nanoseconds; -1 when unknown
        int64_t duration = -1;
        int volume = 100;  // 0 to 100
        // Counts changes; a snapshot with a lower one is older.
        uint64_t revision = 0;
    };
    // Called on the player's thread with the new status after every change
    // of state, URI, duration or volume (repeats included).
    using Listener = std::function<void(const Status&)>;

    enum class SeekResult { kDone, kNoMedia, kNotSeekable, kOutOfRange };

    // Empty, with the reason in `error`, when GStreamer lacks playbin or a
    // sink description does not parse. Empty descriptions choose the
    // automatic sinks.
    static std::unique_ptr<Player> Create(const std::string& audio_sink,
                                          const std::string& video_sink, std::string* error);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Null stops the calls; once this returns none is running.
    void SetListener(Listener listener);
    // Loads and prerolls a URI: STOPPED, or failed once GStreamer says so.
    // An image is shown until Stop, PLAYING all the while.
    void Load(const std::string& uri, const std::string& metadata);
    // Played when the current stream ends.
    void SetNext(const std::string& uri, const std::string& metadata);
    void Play();
    void Pause();
    void Stop();
    SeekResult Seek(int64_t position);
    void SetVolume(int volume);
    Status Current();

private:
    Player(GstElement* playbin, GstElement* audio_sink, GstElement* video_sink);
    // Runs `task` on the loop thread and waits a bounded time for its
    // result: a command playbin has not accepted by then finishes on its own.
    template <class F>
    auto Run(F task) {
        using R = decltype(task());
        auto packaged = std::make_shared<std::packaged_task<R()>>(std::move(task));
        std::future<R> done = packaged->get_future();
        Post([packaged] { (*packaged)(); });
        const bool ready = done.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
        if constexpr (std::is_void_v<R>)
            return ready;
        else
            return ready ? std::optional<R>(done.get()) : std::nullopt;
    }
    void Post(std::function<void()> task);
    static gboolean OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    static void OnElementSetup(GstElement* playbin, GstElement* element, gpointer self);
    static void OnHaveType(GstElement* typefind, guint probability, GstCaps* caps, gpointer self);
    static GstPadProbeReturn OnSinkEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void OnError(GstMessage* message);
    void LoadOnLoop(const std::string& uri, const std::string& metadata);
    void SetState(GstState state, DLNA_TRANSPORT_STATE reported);
    // Fetches the stream anew and drops what lies before `position`: a seek
    // without byte ranges.
    void Restart(int64_t position);
    // The stream's length, kept once known: a stopped pipeline cannot tell.
    int64_t Duration();
    Status Snapshot();
    void Changed();

    GMainContext* context_;
    GMainLoop* loop_;
    GstElement* playbin_;
    GSource* bus_watch_ = nullptr;
    std::thread thread_;
    // Where sinks start after Restart; -1 for no skipping. Read by streaming threads.
    std::atomic<int64_t> skip_to_{-1};

    // Used on the loop thread alone.
    Listener listener_;
    uint64_t revision_ = 0;
    DLNA_TRANSPORT_STATE state_ = DLNA_NO_MEDIA_PRESENT;
    bool failed_ = false;
    std::string uri_, metadata_;
    std::string next_uri_, next_metadata_;
    // The server answered a byte range with the whole body, or said it takes none.
    bool no_ranges_ = false;
    int64_t duration_ = -1;
    // A seek's target until the pipeline is there; -1 otherwise.
    int64_t seeking_to_ = -1;
};
