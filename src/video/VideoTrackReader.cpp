// Reads the subtitle track of an MP4 or MOV with libavformat's MOV demuxer
// (the only demuxer allowed: nothing else is probed). Only the subtitle
// samples are read: every other stream is discarded, so the demuxer walks
// their index in memory and never reads their data.
#include "video/VideoTrack.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Where the bytes come from: a file descriptor read with pread, or memory.
struct Source {
    int Fd = -1;
    const unsigned char* Data = nullptr;
    int64_t Size = 0;
    int64_t Position = 0;
};

int ReadSource(void* opaque, uint8_t* buffer, int size)
{
    auto* source = static_cast<Source*>(opaque);
    const int64_t left = source->Size - source->Position;
    if (left <= 0 || size <= 0)
        return AVERROR_EOF;
    const int wanted = left < size ? static_cast<int>(left) : size;
    if (source->Fd < 0) {
        std::memcpy(buffer, source->Data + source->Position, static_cast<size_t>(wanted));
        source->Position += wanted;
        return wanted;
    }
    ssize_t got;
    do {
        got = pread(source->Fd, buffer, static_cast<size_t>(wanted), static_cast<off_t>(source->Position));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return AVERROR(EIO);
    if (got == 0)
        return AVERROR_EOF;  // the file shrank while being read
    source->Position += got;
    return static_cast<int>(got);
}

int64_t SeekSource(void* opaque, int64_t offset, int whence)
{
    auto* source = static_cast<Source*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return source->Size;
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? source->Position : whence == SEEK_END ? source->Size : -1;
    if (base < 0 || (offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
        return AVERROR(EINVAL);
    source->Position = base + offset;
    return source->Position;
}

// Whether the top-level boxes (atoms) of the file each end within it: a file
// cut short ends inside its last box, be it the media data or the index.
bool BoxesComplete(Source source)
{
    int64_t at = 0;
    while (at < source.Size) {
        uint8_t head[16];
        source.Position = at;
        const int64_t left = source.Size - at;
        if (left < 8)  // a few bytes after the last box hold none
            return true;
        if (ReadSource(&source, head, 8) != 8)
            return false;
        uint64_t size = (uint64_t(head[0]) << 24) | (uint64_t(head[1]) << 16) | (uint64_t(head[2]) << 8) | head[3];
        if (size == 0)  // the last box, up to the end of the file
            return true;
        if (size == 1) {  // a 64-bit size follows the type
            if (left < 16 || ReadSource(&source, head + 8, 8) != 8)
                return false;
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | head[i];
        }
        if (size < 8 || size > uint64_t(left))
            return false;
        at += static_cast<int64_t>(size);
    }
    return true;
}

// The most that libavformat may allocate in one piece while reading.
constexpr size_t kMaxAllocationBytes = size_t(64) << 20;

// Small enough that reading one subtitle sample between large video frames
// reads little more than the sample.
constexpr int kBufferBytes = 16 * 1024;

class Reader {
public:
    ~Reader()
    {
        av_packet_free(&m_packet);
        avformat_close_input(&m_format);
        if (m_io)
            av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }

    int Run(Source source, VelloaVideoSampleFunction sample, void* context)
    {
        m_source = source;
        if (!BoxesComplete(source))
            return VelloaVideoDamaged;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
        if (!buffer)
            return VelloaVideoDamaged;
        m_io = avio_alloc_context(buffer, kBufferBytes, 0, &m_source, ReadSource, nullptr, SeekSource);
        m_format = avformat_alloc_context();
        m_packet = av_packet_alloc();
        if (!m_io) {
            av_free(buffer);
            return VelloaVideoDamaged;
        }
        if (!m_format || !m_packet)
            return VelloaVideoDamaged;
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        const AVInputFormat* mov = av_find_input_format("mov");
        // On failure avformat_open_input frees the context.
        if (!mov || avformat_open_input(&m_format, "", mov, nullptr) < 0)
            return VelloaVideoDamaged;
        // A video cut inside its index may be left with no track at all.
        if (m_format->nb_streams == 0)
            return VelloaVideoDamaged;

        AVStream* track = nullptr;
        for (unsigned i = 0; i < m_format->nb_streams; ++i) {
            AVStream* stream = m_format->streams[i];
            if (!track && stream->codecpar->codec_id == AV_CODEC_ID_MOV_TEXT)
                track = stream;
            else
                stream->discard = AVDISCARD_ALL;
        }
        // A file cut short keeps its index when it stands before the media
        // data, but lost the samples at its end; cut inside the index, it
        // lost tracks too (the subtitle track among them, maybe).
        for (unsigned i = 0; i < m_format->nb_streams; ++i) {
            AVStream* stream = m_format->streams[i];
            // A track whose samples got no index (one too large to allocate)
            // is damaged.
            const int entries = avformat_index_get_entries_count(stream);
            if (stream->nb_frames > 0 && entries == 0)
                return VelloaVideoDamaged;
            for (int k = 0; k < entries; ++k) {
                const AVIndexEntry* entry = avformat_index_get_entry(stream, k);
                if (entry && (entry->pos < 0 || entry->pos > m_source.Size - entry->size))
                    return VelloaVideoDamaged;
            }
        }
        if (!track)
            return VelloaVideoNoSubtitles;
        if (track->time_base.num <= 0 || track->time_base.den <= 0)
            return VelloaVideoDamaged;

        for (;;) {
            const int got = av_read_frame(m_format, m_packet);
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

    Source m_source;
    AVIOContext* m_io = nullptr;
    AVFormatContext* m_format = nullptr;
    AVPacket* m_packet = nullptr;
};

} // namespace

extern "C" __attribute__((visibility("default"))) int velloa_read_video_subtitles(
    int fd, const unsigned char* data, size_t size, VelloaVideoSampleFunction sample, void* context)
{
    // libavformat reports what it finds wrong on standard error; the caller
    // tells the user instead.
    av_log_set_level(AV_LOG_QUIET);
    // A damaged index may claim millions of samples in a file of a few
    // kilobytes; the demuxer then reserves an index entry for each (170 MB
    // for a 1,758-byte file). No block of a real clip comes near this bound:
    // the index of a 30-minute clip at 60 frames a second takes 2.6 MB a
    // track, its largest video frame a few MB.
    av_max_alloc(kMaxAllocationBytes);
    Source source;
    if (fd >= 0) {
        struct stat status;
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
            return VelloaVideoDamaged;
        source.Fd = fd;
        source.Size = status.st_size;
    } else {
        source.Data = data;
        source.Size = static_cast<int64_t>(size);
    }
    Reader reader;
    return reader.Run(source, sample, context);
}
