// The MOV demuxer over a file descriptor or memory (see MovInput.h).
#include "video/MovInput.h"

#include "video/VideoTrack.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace video {
namespace {

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

} // namespace

bool MakeSource(int fd, const unsigned char* data, size_t size, Source* source)
{
    *source = Source();
    if (fd < 0) {
        source->Data = data;
        source->Size = static_cast<int64_t>(size);
        return true;
    }
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    source->Fd = fd;
    source->Size = status.st_size;
    return true;
}

void SetMessage(char* buffer, int size, const char* what, int code)
{
    if (!buffer || size <= 0)
        return;
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    if (code < 0)
        av_strerror(code, reason, sizeof reason);
    std::snprintf(buffer, static_cast<size_t>(size), "%s%s%s", what, code < 0 ? ": " : "", reason);
}

void MovInput::ReadPictureSizes()
{
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVCodecParameters* par = m_format->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && (par->width <= 0 || par->height <= 0)) {
            avformat_find_stream_info(m_format, nullptr);
            return;
        }
    }
}

MovInput::~MovInput()
{
    avformat_close_input(&m_format);
    if (m_io)
        av_freep(&m_io->buffer);
    avio_context_free(&m_io);
}

int MovInput::Open(const Source& source)
{
    m_source = source;
    if (!BoxesComplete(source))
        return VelloaVideoDamaged;
    // A damaged index may claim millions of samples in a file of a few
    // kilobytes; the demuxer then reserves an index entry for each (170 MB
    // for a 1,758-byte file). No block of a real clip comes near this bound:
    // the index of a 30-minute clip at 60 frames a second takes 2.6 MB a
    // track, its largest video frame a few MB.
    av_max_alloc(kMaxAllocationBytes);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    if (!buffer)
        return VelloaVideoDamaged;
    m_io = avio_alloc_context(buffer, kBufferBytes, 0, &m_source, ReadSource, nullptr, SeekSource);
    if (!m_io) {
        av_free(buffer);
        return VelloaVideoDamaged;
    }
    m_format = avformat_alloc_context();
    if (!m_format)
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
    // A file cut short keeps its index when it stands before the media
    // data, but lost the samples at its end; cut inside the index, it lost
    // tracks too (the subtitle track among them, maybe).
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
    return VelloaVideoOk;
}

} // namespace video
