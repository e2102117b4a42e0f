// Any bytes as a clip to copy: the video module's copy as velloa-cli runs
// it (a file descriptor, here an in-memory file of the bytes), with three
// computed cues, home as the location and a creation time, into a file in
// /tmp; the last byte chooses MP4 or MOV and whether the clip's own
// subtitles and location are kept. A copy reported written is a file that is
// not empty; a clip refused says why.
// Seeds: the small MP4 and MOV files of the video target.
#include "video/VideoTrack.h"
#include "video/VideoWriter.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int fd = memfd_create("clip", MFD_CLOEXEC);
    if (fd < 0 || write(fd, data, size - 1) != static_cast<ssize_t>(size - 1))
        abort();
    const uint8_t choice = data[size - 1];
    static const std::string out = "/tmp/fuzz_video_copy." + std::to_string(getpid());
    const VelloaSubtitleCue cues[] = {{0, 1000, "one", 3}, {1000, 2000, "", 0}, {2000, 2500, "h\xc3\xb6he\n2", 7}};
    const VelloaCopyRequest request{out.c_str(), choice & 1 ? "mov" : "mp4", cues, 3, "+47.3769+008.5417/",
                                    "2023-10-29T01:59:45.000000Z", choice & 2, choice & 4};
    char leftOut[256], error[256];
    const int status = velloa_copy_video(fd, &request, leftOut, sizeof leftOut, error, sizeof error);
    close(fd);
    struct stat written {};
    const bool made = stat(out.c_str(), &written) == 0;
    std::remove(out.c_str());
    if ((status == VelloaVideoOk && (!made || written.st_size == 0)) || (status != VelloaVideoOk && error[0] == '\0'))
        abort();
    return 0;
}
