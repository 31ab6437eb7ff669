#pragma once
// Playback through GStreamer's playbin. Every pipeline operation runs on the
// player's own GLib main loop thread, where the bus is watched too, so a
// command and the end or failure of a stream never interleave. Callers wait
// for a command only as long as playbin takes to accept it.
#include <gst/gst.h>

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
        std::string uri;
        std::string next_uri;
        int64_t position = -1;  // nanoseconds; -1 when unknown
        int64_t duration = -1;
        int volume = 100;  // 0 to 100
    };

    // Empty, with the reason in `error`, when GStreamer lacks playbin or a
    // sink description does not parse. Empty descriptions choose the
    // automatic sinks.
    static std::unique_ptr<Player> Create(const std::string& audio_sink,
                                          const std::string& video_sink, std::string* error);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Loads and prerolls a URI: STOPPED, or failed once GStreamer says so.
    void Load(const std::string& uri);
    // Played when the current stream ends.
    void SetNext(const std::string& uri);
    void Play();
    void Pause();
    void Stop();
    bool Seek(int64_t position);
    void SetVolume(int volume);
    Status Current();

private:
    explicit Player(GstElement* playbin);
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
    void LoadOnLoop(const std::string& uri);
    void SetState(GstState state, DLNA_TRANSPORT_STATE reported);

    GMainContext* context_;
    GMainLoop* loop_;
    GstElement* playbin_;
    GSource* bus_watch_ = nullptr;
    std::thread thread_;

    // Used on the loop thread alone.
    DLNA_TRANSPORT_STATE state_ = DLNA_NO_MEDIA_PRESENT;
    bool failed_ = false;
    std::string uri_;
    std::string next_uri_;
};
