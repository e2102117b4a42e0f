// The frame times of a clip (from its index) and the overlay's QuickTime
// writer: libavcodec encodes each new picture (PNG, QuickTime Animation or
// ProRes 4444, all with alpha; libswscale converts the pixels where the codec
// takes another layout), libavformat's MOV muxer stores the packets. A
// picture shown again is stored again as the same packet, not encoded again.
#include "video/VideoWriter.h"

#include "video/MovInput.h"
#include "video/VideoTrack.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

struct VelloaOverlayWriter {
    AVFormatContext* Format = nullptr;
    AVCodecContext* Codec = nullptr;
    AVStream* Stream = nullptr;
    AVFrame* Frame = nullptr;     // the picture in the codec's pixel format
    AVPacket* Packet = nullptr;
    AVPacket* Last = nullptr;     // the last picture's packet, stored again for a repeat
    SwsContext* Scale = nullptr;  // from B, G, R, A to the codec's layout
    bool HeaderWritten = false;
    bool Failed = false;
    int64_t Pending = 0;  // pictures handed to the codec and not yet out of it
    std::vector<std::pair<int64_t, int64_t>> Times;  // start and duration of each of them, in order

    ~VelloaOverlayWriter()
    {
        sws_freeContext(Scale);
        av_packet_free(&Last);
        av_packet_free(&Packet);
        av_frame_free(&Frame);
        avcodec_free_context(&Codec);
        if (Format) {
            if (Format->pb)
                avio_closep(&Format->pb);
            avformat_free_context(Format);
        }
    }

    // Stores a packet of the codec at the time it was handed in with.
    int Store(AVPacket* packet, int64_t start, int64_t duration)
    {
        packet->stream_index = Stream->index;
        packet->pts = packet->dts = start;
        packet->duration = duration;
        av_packet_rescale_ts(packet, Codec->time_base, Stream->time_base);
        return av_write_frame(Format, packet);
    }

    // Takes every packet the codec has ready (all of them when draining).
    int Drain()
    {
        for (;;) {
            const int got = avcodec_receive_packet(Codec, Packet);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return 0;
            if (got < 0)
                return got;
            if (Times.empty())
                return AVERROR_BUG;
            const auto [start, duration] = Times.front();
            Times.erase(Times.begin());
            av_packet_unref(Last);
            if (av_packet_ref(Last, Packet) < 0)
                return AVERROR(ENOMEM);
            const int stored = Store(Packet, start, duration);
            av_packet_unref(Packet);
            if (stored < 0)
                return stored;
            // Repeats asked for while this picture was in the codec follow it.
            while (!Repeats.empty() && (Times.empty() || Repeats.front().first < Times.front().first)) {
                const auto [rstart, rduration] = Repeats.front();
                Repeats.erase(Repeats.begin());
                const int again = StoreLastAgain(rstart, rduration);
                if (again < 0)
                    return again;
            }
        }
    }

    int StoreLastAgain(int64_t start, int64_t duration)
    {
        AVPacket* copy = av_packet_clone(Last);
        if (!copy)
            return AVERROR(ENOMEM);
        copy->flags |= AV_PKT_FLAG_KEY;
        const int stored = Store(copy, start, duration);
        av_packet_free(&copy);
        return stored;
    }

    std::vector<std::pair<int64_t, int64_t>> Repeats;  // repeats waiting for their picture's packet
};

extern "C" {

__attribute__((visibility("default"))) int velloa_read_video_frames(int fd, VelloaVideoFrames* frames)
{
    av_log_set_level(AV_LOG_QUIET);
    *frames = VelloaVideoFrames{0, 0, 0, 0, 0, nullptr};
    video::Source source;
    if (!video::MakeSource(fd, nullptr, 0, &source))
        return VelloaVideoDamaged;
    video::MovInput input;
    const int opened = input.Open(source);
    if (opened != VelloaVideoOk)
        return opened;
    AVFormatContext* format = input.Format();
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0)
        return VelloaVideoNoSubtitles;
    AVStream* stream = format->streams[index];
    input.ReadPictureSizes();
    if (stream->time_base.num <= 0 || stream->time_base.den <= 0 || stream->codecpar->width <= 0
        || stream->codecpar->height <= 0)
        return VelloaVideoDamaged;
    // Each frame's presentation time, from its packet: the index holds only
    // decoding times, which a clip of variable rate with B-frames shows in
    // another rhythm. The other tracks are discarded; the frames are shown
    // in the order of their times, from the first one on.
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (static_cast<int>(i) != index)
            format->streams[i]->discard = AVDISCARD_ALL;
    }
    std::vector<int64_t> times;
    times.reserve(static_cast<size_t>(avformat_index_get_entries_count(stream)));
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return VelloaVideoDamaged;
    for (;;) {
        const int got = av_read_frame(format, packet);
        if (got == AVERROR_EOF)
            break;
        if (got < 0) {
            av_packet_free(&packet);
            return VelloaVideoDamaged;
        }
        const int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index == index && at != AV_NOPTS_VALUE && !(packet->flags & AV_PKT_FLAG_DISCARD))
            times.push_back(at);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (times.empty())
        return VelloaVideoDamaged;
    std::sort(times.begin(), times.end());
    auto* kept = static_cast<int64_t*>(std::malloc(times.size() * sizeof(int64_t)));
    if (!kept)
        return VelloaVideoDamaged;
    for (size_t k = 0; k < times.size(); ++k)
        kept[k] = times[k] - times.front();
    *frames = VelloaVideoFrames{stream->codecpar->width, stream->codecpar->height, stream->time_base.num,
                                stream->time_base.den, static_cast<int64_t>(times.size()), kept};
    return VelloaVideoOk;
}

__attribute__((visibility("default"))) void velloa_free_video_frames(VelloaVideoFrames* frames)
{
    std::free(frames->Times);
    frames->Times = nullptr;
    frames->Count = 0;
}

__attribute__((visibility("default"))) VelloaOverlayWriter* velloa_open_overlay(
    const char* path, int width, int height, int codec, int timeBaseNum, int timeBaseDen, int threads, char* error,
    int errorSize)
{
    av_log_set_level(AV_LOG_QUIET);
    struct Choice {
        const char* Encoder;
        AVPixelFormat Pixels;
    };
    const Choice choices[] = {{"png", AV_PIX_FMT_RGBA}, {"qtrle", AV_PIX_FMT_ARGB}, {"prores_ks", AV_PIX_FMT_YUVA444P10LE}};
    if (codec < 0 || codec > 2 || width <= 0 || height <= 0 || timeBaseNum <= 0 || timeBaseDen <= 0) {
        video::SetMessage(error, errorSize, "bad overlay settings", 0);
        return nullptr;
    }
    const Choice& choice = choices[codec];
    const AVCodec* encoder = avcodec_find_encoder_by_name(choice.Encoder);
    if (!encoder) {
        video::SetMessage(error, errorSize, "no encoder in this libavcodec", 0);
        return nullptr;
    }
    auto* writer = new VelloaOverlayWriter;
    int code = avformat_alloc_output_context2(&writer->Format, nullptr, "mov", path);
    writer->Codec = avcodec_alloc_context3(encoder);
    writer->Frame = av_frame_alloc();
    writer->Packet = av_packet_alloc();
    writer->Last = av_packet_alloc();
    if (code < 0 || !writer->Format || !writer->Codec || !writer->Frame || !writer->Packet || !writer->Last) {
        video::SetMessage(error, errorSize, "cannot set up the overlay", code < 0 ? code : AVERROR(ENOMEM));
        delete writer;
        return nullptr;
    }
    AVCodecContext* c = writer->Codec;
    c->width = width;
    c->height = height;
    c->pix_fmt = choice.Pixels;
    c->time_base = AVRational{timeBaseNum, timeBaseDen};
    c->thread_count = threads > 0 ? threads : 0;
    c->gop_size = 0;  // every picture stands alone
    if (writer->Format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codec == VelloaOverlayPng) {
        // The quickest compression: a mostly transparent picture packs well
        // at any level.
        c->compression_level = 1;
    }
    if (codec == VelloaOverlayProres) {
        av_opt_set(c->priv_data, "profile", "4444", 0);
        av_opt_set_int(c->priv_data, "alpha_bits", 16, 0);
        c->codec_tag = MKTAG('a', 'p', '4', 'h');
    }
    code = avcodec_open2(c, encoder, nullptr);
    writer->Stream = code < 0 ? nullptr : avformat_new_stream(writer->Format, nullptr);
    if (code < 0 || !writer->Stream) {
        video::SetMessage(error, errorSize, "cannot open the encoder", code < 0 ? code : AVERROR(ENOMEM));
        delete writer;
        return nullptr;
    }
    avcodec_parameters_from_context(writer->Stream->codecpar, c);
    writer->Stream->time_base = c->time_base;
    writer->Stream->avg_frame_rate = AVRational{0, 1};
    writer->Frame->format = c->pix_fmt;
    writer->Frame->width = width;
    writer->Frame->height = height;
    code = av_frame_get_buffer(writer->Frame, 0);
    if (code >= 0) {
        writer->Scale = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, choice.Pixels, SWS_POINT,
                                       nullptr, nullptr, nullptr);
        if (!writer->Scale)
            code = AVERROR(ENOMEM);
    }
    if (code >= 0)
        code = avio_open(&writer->Format->pb, path, AVIO_FLAG_WRITE);
    if (code >= 0)
        code = avformat_write_header(writer->Format, nullptr);
    if (code < 0) {
        video::SetMessage(error, errorSize, "cannot write the overlay", code);
        delete writer;
        return nullptr;
    }
    writer->HeaderWritten = true;
    return writer;
}

__attribute__((visibility("default"))) int velloa_overlay_frame(VelloaOverlayWriter* writer, const uint8_t* bgra,
                                                                int stride, int64_t start, int64_t duration)
{
    if (writer->Failed)
        return -1;
    int code = 0;
    if (!bgra) {
        // The picture before, again: stored as soon as its packet is out.
        if (writer->Times.empty())
            code = writer->StoreLastAgain(start, duration);
        else
            writer->Repeats.emplace_back(start, duration);
        writer->Failed = code < 0;
        return code < 0 ? -1 : 0;
    }
    AVCodecContext* c = writer->Codec;
    const int height = c->height;
    code = av_frame_make_writable(writer->Frame);
    if (code >= 0) {
        const uint8_t* planes[1] = {bgra};
        const int strides[1] = {stride};
        sws_scale(writer->Scale, planes, strides, 0, height, writer->Frame->data, writer->Frame->linesize);
    }
    if (code >= 0) {
        writer->Frame->pts = start;
        writer->Times.emplace_back(start, duration);
        code = avcodec_send_frame(c, writer->Frame);
    }
    if (code >= 0)
        code = writer->Drain();
    writer->Failed = code < 0;
    return code < 0 ? -1 : 0;
}

__attribute__((visibility("default"))) int velloa_close_overlay(VelloaOverlayWriter* writer, int keep)
{
    int code = writer->Failed ? -1 : 0;
    if (keep && code >= 0) {
        code = avcodec_send_frame(writer->Codec, nullptr);
        if (code >= 0)
            code = writer->Drain();
        for (const auto& [start, duration] : writer->Repeats) {
            if (code >= 0)
                code = writer->StoreLastAgain(start, duration);
        }
        if (code >= 0)
            code = av_write_trailer(writer->Format);
        if (code >= 0 && writer->Format->pb)
            code = avio_closep(&writer->Format->pb);
    }
    delete writer;
    return keep && code >= 0 ? 0 : -1;
}
}
