#include "MediaFixtures.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace fixtures {

std::string Picture(int width, int height, const char* type) {
    const bool png = std::strcmp(type, "png") == 0;
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, png, 8, width, height);
    if (!pixbuf) return {};
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            guchar* p = pixels + y * stride + x * channels;
            p[0] = static_cast<guchar>(255 * x / width);
            p[1] = static_cast<guchar>(255 * y / height);
            p[2] = 128;
            if (png) p[3] = x < width / 2 ? 255 : 128;
        }
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    const gboolean saved =
        png ? gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "png", nullptr, nullptr)
            : gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", nullptr, "quality", "90",
                                        nullptr);
    g_object_unref(pixbuf);
    std::string out;
    if (saved) out.assign(buffer, size);
    g_free(buffer);
    return out;
}

bool HasEncoder(const char* name) {
    return avcodec_find_encoder_by_name(name) != nullptr;
}

namespace {

struct Deleters {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
    void operator()(AVFrame* f) const { av_frame_free(&f); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// One encoded stream of the file being written.
struct Track {
    std::unique_ptr<AVCodecContext, Deleters> codec;
    std::unique_ptr<AVFrame, Deleters> frame;
    AVStream* stream = nullptr;
    int64_t next_pts = 0;  // in the codec's time base
    int64_t end_pts = 0;
    bool flushed = false;
};

class Writer {
public:
    Writer(const std::string& path, const Recipe& recipe) : path_(path), recipe_(recipe) {}
    ~Writer() {
        if (out_ && out_->pb) avio_closep(&out_->pb);
        avformat_free_context(out_);
    }

    std::string Run() {
        if (avformat_alloc_output_context2(&out_, nullptr, recipe_.format, path_.c_str()) < 0)
            return std::string("no muxer ") + recipe_.format;
        if (recipe_.video_encoder) {
            if (std::string e = AddVideo(); !e.empty()) return e;
        }
        if (recipe_.audio_encoder) {
            if (std::string e = AddAudio(); !e.empty()) return e;
        }
        AVStream* cover = nullptr;
        if (!recipe_.cover_jpeg.empty()) {
            cover = avformat_new_stream(out_, nullptr);
            cover->disposition = AV_DISPOSITION_ATTACHED_PIC;
            cover->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
            cover->codecpar->codec_id = AV_CODEC_ID_MJPEG;
            // The muxers want its size.
            GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
            gdk_pixbuf_loader_write(loader,
                                    reinterpret_cast<const guchar*>(recipe_.cover_jpeg.data()),
                                    recipe_.cover_jpeg.size(), nullptr);
            gdk_pixbuf_loader_close(loader, nullptr);
            if (GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader)) {
                cover->codecpar->width = gdk_pixbuf_get_width(picture);
                cover->codecpar->height = gdk_pixbuf_get_height(picture);
            }
            g_object_unref(loader);
            av_dict_set(&cover->metadata, "comment", "Cover (front)", 0);
        }
        for (const auto& [key, value] : recipe_.tags)
            av_dict_set(&out_->metadata, key.c_str(), value.c_str(), 0);
        if (avio_open(&out_->pb, path_.c_str(), AVIO_FLAG_WRITE) < 0) return "cannot open " + path_;
        if (avformat_write_header(out_, nullptr) < 0) return "header refused";
        if (cover) {
            std::unique_ptr<AVPacket, Deleters> packet(av_packet_alloc());
            av_new_packet(packet.get(), static_cast<int>(recipe_.cover_jpeg.size()));
            std::memcpy(packet->data, recipe_.cover_jpeg.data(), recipe_.cover_jpeg.size());
            packet->stream_index = cover->index;
            packet->flags |= AV_PKT_FLAG_KEY;
            if (av_write_frame(out_, packet.get()) < 0) return "cover refused";
        }
        // The track that is behind gets the next frame.
        for (;;) {
            Track* next = nullptr;
            for (Track* t : {&video_, &audio_}) {
                if (!t->codec || t->flushed) continue;
                if (!next || av_compare_ts(t->next_pts, t->codec->time_base, next->next_pts,
                                           next->codec->time_base) < 0)
                    next = t;
            }
            if (!next) break;
            if (std::string e = Step(*next); !e.empty()) return e;
        }
        if (av_write_trailer(out_) < 0) return "trailer refused";
        return {};
    }

private:
    std::string Open(Track& track, const char* name) {
        const AVCodec* encoder = avcodec_find_encoder_by_name(name);
        if (!encoder) return std::string("no encoder ") + name;
        track.codec.reset(avcodec_alloc_context3(encoder));
        return {};
    }
    std::string Start(Track& track, AVDictionary** options) {
        if (out_->oformat->flags & AVFMT_GLOBALHEADER)
            track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int opened = avcodec_open2(track.codec.get(), nullptr, options);
        av_dict_free(options);
        if (opened < 0) return std::string("cannot open ") + track.codec->codec->name;
        track.stream = avformat_new_stream(out_, nullptr);
        track.stream->time_base = track.codec->time_base;
        avcodec_parameters_from_context(track.stream->codecpar, track.codec.get());
        track.frame.reset(av_frame_alloc());
        return {};
    }

    std::string AddAudio() {
        Track& t = audio_;
        if (std::string e = Open(t, recipe_.audio_encoder); !e.empty()) return e;
        AVCodecContext* c = t.codec.get();
        const std::string name = recipe_.audio_encoder;
        c->sample_fmt = name == "libmp3lame"              ? AV_SAMPLE_FMT_S16P
                        : name == "flac" || name == "mp2" ? AV_SAMPLE_FMT_S16
                                                          : AV_SAMPLE_FMT_FLTP;
        c->sample_rate = recipe_.sample_rate;
        av_channel_layout_default(&c->ch_layout, recipe_.channels);
        c->time_base = AVRational{1, recipe_.sample_rate};
        if (recipe_.audio_bit_rate) c->bit_rate = recipe_.audio_bit_rate;
        AVDictionary* options = nullptr;
        if (std::string e = Start(t, &options); !e.empty()) return e;
        t.end_pts = static_cast<int64_t>(recipe_.seconds * recipe_.sample_rate);
        AVFrame* f = t.frame.get();
        f->format = c->sample_fmt;
        f->sample_rate = c->sample_rate;
        av_channel_layout_copy(&f->ch_layout, &c->ch_layout);
        f->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
        return av_frame_get_buffer(f, 0) < 0 ? "no audio frame" : "";
    }

    std::string AddVideo() {
        Track& t = video_;
        if (std::string e = Open(t, recipe_.video_encoder); !e.empty()) return e;
        AVCodecContext* c = t.codec.get();
        c->width = recipe_.width;
        c->height = recipe_.height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = AVRational{1, recipe_.fps};
        c->framerate = AVRational{recipe_.fps, 1};
        c->bit_rate = recipe_.video_bit_rate;
        c->gop_size = recipe_.fps;
        AVDictionary* options = nullptr;
        if (std::strcmp(recipe_.video_encoder, "libx264") == 0) {
            av_dict_set(&options, "preset", "superfast", 0);
            av_dict_set(&options, "tune", "zerolatency", 0);
            av_dict_set(&options, "profile", recipe_.video_profile, 0);
        }
        if (std::string e = Start(t, &options); !e.empty()) return e;
        t.end_pts = static_cast<int64_t>(recipe_.seconds * recipe_.fps);
        AVFrame* f = t.frame.get();
        f->format = c->pix_fmt;
        f->width = c->width;
        f->height = c->height;
        return av_frame_get_buffer(f, 0) < 0 ? "no video frame" : "";
    }

    void FillAudio(Track& t) {
        AVFrame* f = t.frame.get();
        const int channels = f->ch_layout.nb_channels;
        for (int i = 0; i < f->nb_samples; ++i) {
            const double v =
                0.3 * std::sin(2 * M_PI * 440.0 * double(t.next_pts + i) / double(f->sample_rate));
            for (int ch = 0; ch < channels; ++ch) {
                switch (f->format) {
                    case AV_SAMPLE_FMT_S16:
                        reinterpret_cast<int16_t*>(f->data[0])[i * channels + ch] =
                            static_cast<int16_t>(v * 32767);
                        break;
                    case AV_SAMPLE_FMT_S16P:
                        reinterpret_cast<int16_t*>(f->data[ch])[i] =
                            static_cast<int16_t>(v * 32767);
                        break;
                    default:
                        reinterpret_cast<float*>(f->data[ch])[i] = static_cast<float>(v);
                }
            }
        }
        f->pts = t.next_pts;
        t.next_pts += f->nb_samples;
    }

    void FillVideo(Track& t) {
        AVFrame* f = t.frame.get();
        const int n = static_cast<int>(t.next_pts);
        for (int y = 0; y < f->height; ++y)
            for (int x = 0; x < f->width; ++x)
                f->data[0][y * f->linesize[0] + x] =
                    static_cast<uint8_t>((x + 4 * n) * 255 / f->width);
        for (int y = 0; y < f->height / 2; ++y)
            for (int x = 0; x < f->width / 2; ++x) {
                f->data[1][y * f->linesize[1] + x] = static_cast<uint8_t>(64 + y);
                f->data[2][y * f->linesize[2] + x] = static_cast<uint8_t>(192 - x / 2);
            }
        f->pts = t.next_pts++;
    }

    std::string Step(Track& t) {
        AVFrame* frame = nullptr;
        if (t.next_pts < t.end_pts) {
            if (av_frame_make_writable(t.frame.get()) < 0) return "frame not writable";
            if (&t == &audio_)
                FillAudio(t);
            else
                FillVideo(t);
            frame = t.frame.get();
        }
        if (avcodec_send_frame(t.codec.get(), frame) < 0) return "encoder refused a frame";
        std::unique_ptr<AVPacket, Deleters> packet(av_packet_alloc());
        for (;;) {
            const int got = avcodec_receive_packet(t.codec.get(), packet.get());
            if (got == AVERROR(EAGAIN)) break;
            if (got == AVERROR_EOF) {
                t.flushed = true;
                break;
            }
            if (got < 0) return "encoder failed";
            av_packet_rescale_ts(packet.get(), t.codec->time_base, t.stream->time_base);
            packet->stream_index = t.stream->index;
            // One real stream needs no interleaving (and a cover stream
            // would hold every packet back until the trailer).
            const int written = recipe_.video_encoder && recipe_.audio_encoder
                                    ? av_interleaved_write_frame(out_, packet.get())
                                    : av_write_frame(out_, packet.get());
            if (written < 0) return "muxer refused a packet";
            av_packet_unref(packet.get());
        }
        return {};
    }

    const std::string path_;
    const Recipe& recipe_;
    AVFormatContext* out_ = nullptr;
    Track audio_, video_;
};

}  // namespace

std::string WriteMedia(const std::string& path, const Recipe& recipe) {
    av_log_set_level(AV_LOG_ERROR);
    return Writer(path, recipe).Run();
}

}  // namespace fixtures
