// The copy of a clip carrying the computed subtitles: libavformat reads the
// clip (video/MovInput.h) and its MOV or MP4 muxer writes every packet as it
// was read, with a mov_text track of the computed blocks in front of the
// clip's own subtitle tracks.
#include "video/MovInput.h"
#include "video/VideoTrack.h"
#include "video/VideoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The copy failed on its side (not the clip's): the caller says why.
constexpr int kNotWritten = -1;

// The 3GPP timed-text sample description that a mov_text track needs (a
// default style: centred at the bottom, white, 18 px, the "Serif" font), as
// libavcodec's own mov_text encoder writes it.
const uint8_t kTextSampleEntry[] = {
    0x00, 0x00, 0x00, 0x00,  // display flags
    0x01, 0xFF,              // horizontal and vertical justification
    0x00, 0x00, 0x00, 0x00,  // background colour
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // text box
    0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12, 0xFF, 0xFF, 0xFF, 0xFF,  // style record
    0x00, 0x00, 0x00, 0x12, 'f', 't', 'a', 'b', 0x00, 0x01, 0x00, 0x01, 0x05, 'S', 'e', 'r', 'i', 'f',
};

// What a leaving-out names a track by: its handler name, else its codec tag.
std::string TrackName(const AVStream* stream)
{
    if (const AVDictionaryEntry* handler = av_dict_get(stream->metadata, "handler_name", nullptr, 0))
        return handler->value;
    char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
    av_fourcc_make_string(tag, stream->codecpar->codec_tag);
    return tag;
}

bool IsLocationKey(const char* key)
{
    return std::strncmp(key, "location", 8) == 0 || std::strstr(key, "ISO6709") != nullptr
        || std::strstr(key, "xyz") != nullptr;
}

struct Output {
    AVFormatContext* Format = nullptr;
    ~Output()
    {
        if (Format) {
            if (Format->pb)
                avio_closep(&Format->pb);
            avformat_free_context(Format);
        }
    }
};

} // namespace

extern "C" __attribute__((visibility("default"))) int velloa_copy_video(int fd, const VelloaCopyRequest* request,
                                                                        char* leftOut, int leftOutSize, char* error,
                                                                        int errorSize)
{
    av_log_set_level(AV_LOG_QUIET);
    video::SetMessage(leftOut, leftOutSize, "");
    video::Source source;
    video::MovInput input;
    if (!video::MakeSource(fd, nullptr, 0, &source) || input.Open(source) != VelloaVideoOk) {
        video::SetMessage(error, errorSize, "the clip cannot be read");
        return VelloaVideoDamaged;
    }
    AVFormatContext* in = input.Format();
    input.ReadPictureSizes();
    Output output;
    int code = avformat_alloc_output_context2(&output.Format, nullptr, request->Format, request->OutPath);
    if (code < 0 || !output.Format) {
        video::SetMessage(error, errorSize, "cannot set up the copy", code < 0 ? code : AVERROR(ENOMEM));
        return kNotWritten;
    }
    AVFormatContext* out = output.Format;

    // The clip's tracks in their order (its subtitle tracks after the
    // computed one), each mapped to its track in the copy or to -1.
    std::vector<int> map(in->nb_streams, -1);
    std::string left;
    auto copyStream = [&](unsigned i) {
        AVStream* from = in->streams[i];
        AVStream* to = avformat_new_stream(out, nullptr);
        if (!to || avcodec_parameters_copy(to->codecpar, from->codecpar) < 0)
            return false;
        to->codecpar->codec_tag = 0;  // the muxer's own tag for the codec
        to->time_base = from->time_base;
        to->disposition = from->disposition & ~AV_DISPOSITION_DEFAULT;
        if (from->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
            to->disposition = from->disposition;
        av_dict_copy(&to->metadata, from->metadata, 0);
        map[i] = to->index;
        return true;
    };
    bool made = true;
    for (unsigned i = 0; i < in->nb_streams && made; ++i) {
        const AVCodecParameters* par = in->streams[i]->codecpar;
        const bool carried = (par->codec_type == AVMEDIA_TYPE_VIDEO || par->codec_type == AVMEDIA_TYPE_AUDIO)
            && avformat_query_codec(out->oformat, par->codec_id, FF_COMPLIANCE_NORMAL) == 1;
        if (carried)
            made = copyStream(i);
        else if (par->codec_type != AVMEDIA_TYPE_SUBTITLE)
            left += (left.empty() ? "" : ", ") + TrackName(in->streams[i]);
    }
    AVStream* cues = made ? avformat_new_stream(out, nullptr) : nullptr;
    if (cues) {
        cues->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
        cues->codecpar->codec_id = AV_CODEC_ID_MOV_TEXT;
        cues->codecpar->extradata = static_cast<uint8_t*>(av_mallocz(sizeof kTextSampleEntry + AV_INPUT_BUFFER_PADDING_SIZE));
        made = cues->codecpar->extradata != nullptr;
        if (made) {
            std::memcpy(cues->codecpar->extradata, kTextSampleEntry, sizeof kTextSampleEntry);
            cues->codecpar->extradata_size = sizeof kTextSampleEntry;
        }
        cues->time_base = AVRational{1, 1000};
        cues->disposition = AV_DISPOSITION_DEFAULT;
        av_dict_set(&cues->metadata, "title", "Velloa", 0);
        av_dict_set(&cues->metadata, "handler_name", "Velloa", 0);
    }
    for (unsigned i = 0; i < in->nb_streams && made && cues; ++i) {
        const AVCodecParameters* par = in->streams[i]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        if (request->KeepClipSubtitles && avformat_query_codec(out->oformat, par->codec_id, FF_COMPLIANCE_NORMAL) == 1)
            made = copyStream(i);
        else if (request->KeepClipSubtitles)
            left += (left.empty() ? "" : ", ") + TrackName(in->streams[i]);
    }
    if (!made || !cues) {
        video::SetMessage(error, errorSize, "cannot set up the copy's tracks");
        return kNotWritten;
    }
    video::SetMessage(leftOut, leftOutSize, left.c_str());

    // The clip's tags, less its location where asked; then the log's.
    const AVDictionaryEntry* tag = nullptr;
    while ((tag = av_dict_get(in->metadata, "", tag, AV_DICT_IGNORE_SUFFIX))) {
        if (request->KeepClipLocation || !IsLocationKey(tag->key))
            av_dict_set(&out->metadata, tag->key, tag->value, 0);
    }
    if (request->Location)
        av_dict_set(&out->metadata, "location", request->Location, 0);
    if (request->CreationTime)
        av_dict_set(&out->metadata, "creation_time", request->CreationTime, 0);

    code = avio_open(&out->pb, request->OutPath, AVIO_FLAG_WRITE);
    if (code >= 0)
        code = avformat_write_header(out, nullptr);
    AVPacket* packet = code >= 0 ? av_packet_alloc() : nullptr;
    if (code >= 0 && !packet)
        code = AVERROR(ENOMEM);
    // Each cue goes in when the clip's packets reach its start.
    int64_t next = 0;
    auto putCues = [&](int64_t untilMs) {
        for (; next < request->CueCount && request->Cues[next].StartMs <= untilMs && code >= 0; ++next) {
            const VelloaSubtitleCue& cue = request->Cues[next];
            AVPacket* sample = av_packet_alloc();
            if (!sample || av_new_packet(sample, cue.Size + 2) < 0) {
                av_packet_free(&sample);
                code = AVERROR(ENOMEM);
                break;
            }
            sample->data[0] = static_cast<uint8_t>(cue.Size >> 8);
            sample->data[1] = static_cast<uint8_t>(cue.Size & 0xFF);
            std::memcpy(sample->data + 2, cue.Text, static_cast<size_t>(cue.Size));
            sample->pts = sample->dts = cue.StartMs;
            sample->duration = cue.EndMs > cue.StartMs ? cue.EndMs - cue.StartMs : 1;
            sample->stream_index = cues->index;
            sample->flags |= AV_PKT_FLAG_KEY;
            av_packet_rescale_ts(sample, AVRational{1, 1000}, cues->time_base);
            code = av_interleaved_write_frame(out, sample);
            av_packet_free(&sample);
        }
    };
    while (code >= 0) {
        const int got = av_read_frame(in, packet);
        if (got == AVERROR_EOF)
            break;
        if (got < 0) {
            code = got;
            break;
        }
        const int to = map[static_cast<size_t>(packet->stream_index)];
        if (to >= 0) {
            const AVStream* from = in->streams[packet->stream_index];
            const int64_t at = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            if (at != AV_NOPTS_VALUE)
                putCues(av_rescale_q(at, from->time_base, AVRational{1, 1000}));
            av_packet_rescale_ts(packet, from->time_base, out->streams[to]->time_base);
            packet->stream_index = to;
            packet->pos = -1;
            if (code >= 0)
                code = av_interleaved_write_frame(out, packet);
        }
        av_packet_unref(packet);
    }
    putCues(INT64_MAX);
    av_packet_free(&packet);
    if (code >= 0)
        code = av_write_trailer(out);
    if (code >= 0)
        code = avio_closep(&out->pb);
    if (code < 0) {
        video::SetMessage(error, errorSize, "cannot write", code);
        return kNotWritten;
    }
    return VelloaVideoOk;
}
