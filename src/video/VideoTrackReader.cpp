// Reads the subtitle track of an MP4 or MOV (video/MovInput.h). Only the
// subtitle samples are read: every other stream is discarded, so the demuxer
// walks their index in memory and never reads their data.
#include "video/MovInput.h"
#include "video/VideoTrack.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/log.h>
}

namespace {

class Reader {
public:
    ~Reader() { av_packet_free(&m_packet); }

    int Run(const video::Source& source, VelloaVideoSampleFunction sample, void* context)
    {
        const int opened = m_input.Open(source);
        if (opened != VelloaVideoOk)
            return opened;
        AVFormatContext* format = m_input.Format();
        m_packet = av_packet_alloc();
        if (!m_packet)
            return VelloaVideoDamaged;
        AVStream* track = nullptr;
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            AVStream* stream = format->streams[i];
            if (!track && stream->codecpar->codec_id == AV_CODEC_ID_MOV_TEXT)
                track = stream;
            else
                stream->discard = AVDISCARD_ALL;
        }
        if (!track)
            return VelloaVideoNoSubtitles;
        if (track->time_base.num <= 0 || track->time_base.den <= 0)
            return VelloaVideoDamaged;

        for (;;) {
            const int got = av_read_frame(format, m_packet);
            if (got == AVERROR_EOF)
                return VelloaVideoOk;
            if (got < 0)
                return VelloaVideoDamaged;
            if (m_packet->stream_index == track->index) {
                if (m_packet->flags & AV_PKT_FLAG_CORRUPT)
                    return VelloaVideoDamaged;
                if (!Give(*track, sample, context))
                    return VelloaVideoStopped;
            }
            av_packet_unref(m_packet);
        }
    }

private:
    bool Give(const AVStream& track, VelloaVideoSampleFunction sample, void* context) const
    {
        // A sample: the text's length (16 bits, big-endian), the text, then
        // style boxes, which are not read.
        const int size = m_packet->size;
        const uint8_t* data = m_packet->data;
        int length = size >= 2 ? (data[0] << 8) | data[1] : 0;
        if (length > size - 2)
            length = size - 2 > 0 ? size - 2 : 0;
        const int64_t start = m_packet->pts != AV_NOPTS_VALUE ? m_packet->pts : m_packet->dts;
        const VelloaVideoSample given = {start == AV_NOPTS_VALUE ? 0 : start,
                                         m_packet->duration > 0 ? m_packet->duration : 0,
                                         track.time_base.num,
                                         track.time_base.den,
                                         reinterpret_cast<const char*>(data) + (size >= 2 ? 2 : 0),
                                         length};
        return sample(context, &given) != 0;
    }

    video::MovInput m_input;
    AVPacket* m_packet = nullptr;
};

} // namespace

extern "C" __attribute__((visibility("default"))) int velloa_read_video_subtitles(
    int fd, const unsigned char* data, size_t size, VelloaVideoSampleFunction sample, void* context)
{
    // libavformat reports what it finds wrong on standard error; the caller
    // tells the user instead.
    av_log_set_level(AV_LOG_QUIET);
    video::Source source;
    if (!video::MakeSource(fd, data, size, &source))
        return VelloaVideoDamaged;
    Reader reader;
    return reader.Run(source, sample, context);
}
