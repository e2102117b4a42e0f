// velloa-cli --overlay and --video-copy against clips made by the ffmpeg
// program: the overlay takes the clip's size, rate and frame count, has an
// alpha channel, and each frame is the picture drawn directly for the record
// whose cue covers it (transparent where none does); the copy's video and
// sound packets are the clip's and its first subtitle track the subtitle
// file's text; bad values and unwritable places leave nothing behind.
#include "conversion/ConversionSettings.h"
#include "conversion/Conversion.h"
#include "overlay/OverlayFrame.h"
#include "support/Support.h"

#include <QTemporaryDir>

namespace {

// The log as velloa-cli derives it with its default settings.
Flight Derived(const QString& log, double privacyRadiusM = 0)
{
    ConversionRequest request;
    request.InputName = log;
    request.OutPattern = DefaultPatternLf();
    request.PrivacyRadiusM = privacyRadiusM;
    return Convert(request).Flight;
}

// Frame `k` of a video, as straight B, G, R, A bytes.
QByteArray FrameBytes(const QString& video, int k)
{
    return RunProgram({QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                       QStringLiteral("-vf"), QStringLiteral("select=eq(n\\,%1)").arg(k), QStringLiteral("-vframes"),
                       QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                       QStringLiteral("bgra"), QStringLiteral("-")}).out;
}

QByteArray Drawn(const Flight& flight, const OverlayLook& look, int record)
{
    const QImage image = OverlayPainter(flight, DefaultPatternLf(), look).Frame(record).convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), static_cast<int>(image.sizeInBytes()));
}

// ffprobe's width, height, frame rate, frame count and pixel format of the first video stream.
QString Probe(const QString& video)
{
    return QString::fromUtf8(RunProgram({QStringLiteral("ffprobe"), QStringLiteral("-v"), QStringLiteral("error"),
                                         QStringLiteral("-count_frames"), QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                                         QStringLiteral("-show_entries"),
                                         QStringLiteral("stream=codec_name,width,height,r_frame_rate,nb_read_frames,pix_fmt"),
                                         QStringLiteral("-of"), QStringLiteral("csv=p=0"), video}).out).trimmed();
}

bool Generate(const QString& log, const QStringList& options)
{
    return RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH)} + options + QStringList{log}).exitCode == 0;
}

} // namespace

class TestVideoOutputs : public QObject {
    Q_OBJECT
private slots:
    void followsTheClip_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("probe");
        QTest::newRow("png") << QString() << QStringLiteral("png,320,240,rgba,25/1,100");
        QTest::newRow("qtrle") << QStringLiteral("qtrle") << QStringLiteral("qtrle,320,240,argb,25/1,100");
        QTest::newRow("prores") << QStringLiteral("prores") << QStringLiteral("prores,320,240,yuva444p12le,25/1,100");
    }
    // A once-a-second log of 3 s beside a clip of 4 s at 25 frames a second.
    void followsTheClip()
    {
        QFETCH(QString, codec);
        QFETCH(QString, probe);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("c.SRT")), clip = dir.filePath(QStringLiteral("c.MP4"));
        QVERIFY(Generate(log, {QStringLiteral("--family"), QStringLiteral("C"), QStringLiteral("--blocks"), QStringLiteral("3")}));
        QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=320x240:r=25:d=4 -c:v mpeg4 %1")
                                .arg(clip).split(QLatin1Char(' '))).err, QByteArray());
        QStringList command{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--overlay"), log};
        if (!codec.isEmpty())
            command.insert(1, QStringLiteral("--overlay-codec=") + codec);
        const ProcessRun run = RunProgram(command);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QString overlay = dir.filePath(QStringLiteral("c.overlay.mov"));
        QCOMPARE(Probe(overlay), probe);
        if (codec == QLatin1String("prores"))
            return;  // lossy: its pictures are not compared
        // Frames 24 (0.96 s) and 25 (1.00 s) stand on both sides of the first
        // cue's end; frame 75 (3.00 s) is past the last cue.
        const Flight flight = Derived(log);
        OverlayLook look;
        look.Size = QSize(320, 240);
        QCOMPARE(FrameBytes(overlay, 0), Drawn(flight, look, 0));
        QCOMPARE(FrameBytes(overlay, 24), Drawn(flight, look, 0));
        QCOMPARE(FrameBytes(overlay, 25), Drawn(flight, look, 1));
        QVERIFY(FrameBytes(overlay, 24) != FrameBytes(overlay, 25));
        QCOMPARE(FrameBytes(overlay, 74), Drawn(flight, look, 2));
        QCOMPARE(FrameBytes(overlay, 75), QByteArray(320 * 240 * 4, '\0'));
    }

    // A clip of variable rate (its frames at 0, 0.2, 0.4, 0.8, 1.2, 1.8 and
    // 2.4 s, with B-frames): each overlay frame takes its clip frame's time.
    void variableRateClip()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("r.SRT")), clip = dir.filePath(QStringLiteral("r.MP4"));
        QVERIFY(Generate(log, {QStringLiteral("--family"), QStringLiteral("C"), QStringLiteral("--blocks"), QStringLiteral("3")}));
        QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=64x48:r=10:d=0.8 -vf setpts=N*N/20/TB "
                                           "-fps_mode passthrough -c:v libx264 %1").arg(clip).split(QLatin1Char(' '))).err, QByteArray());
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-srt"),
                             QStringLiteral("--no-gpx"), QStringLiteral("--overlay"), log}).exitCode, 0);
        const QString overlay = dir.filePath(QStringLiteral("r.overlay.mov"));
        const auto times = [](const QString& video) {
            return RunProgram({QStringLiteral("ffprobe"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                               QStringLiteral("v:0"), QStringLiteral("-show_entries"), QStringLiteral("frame=pts_time"), QStringLiteral("-of"),
                               QStringLiteral("csv=p=0"), video}).out.replace(",\n\n", "\n");  // the first frame's side data
        };
        QCOMPARE(times(overlay), times(clip));
        const Flight flight = Derived(log);
        OverlayLook look;
        look.Size = QSize(64, 48);
        QCOMPARE(FrameBytes(overlay, 4), Drawn(flight, look, 0));  // 0.8 s
        QCOMPARE(FrameBytes(overlay, 5), Drawn(flight, look, 1));  // 1.2 s
        QCOMPARE(FrameBytes(overlay, 7), Drawn(flight, look, 2));  // 2.4 s
    }

    // Without a clip: the size and rate asked for, over the log's duration;
    // a per-frame log's own rate by default. With a zone, the map shows no
    // home: the first frame differs from the one without.
    void withoutAClip()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("d.SRT"));
        QVERIFY(Generate(log, {QStringLiteral("--family"), QStringLiteral("D"), QStringLiteral("--fps"), QStringLiteral("25"),
                               QStringLiteral("--blocks"), QStringLiteral("50")}));
        const QString overlay = dir.filePath(QStringLiteral("d.overlay.mov"));
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-srt"),
                             QStringLiteral("--no-gpx"), QStringLiteral("--overlay"), QStringLiteral("--overlay-size=200x100"),
                             log}).exitCode, 0);
        QCOMPARE(Probe(overlay), QStringLiteral("png,200,100,rgba,25/1,50"));
        OverlayLook look;
        look.Size = QSize(200, 100);
        QCOMPARE(FrameBytes(overlay, 49), Drawn(Derived(log), look, 49));
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--overlay"),
                             QStringLiteral("--overlay-size=200x100"), QStringLiteral("--overlay-fps=10"),
                             QStringLiteral("--privacy-radius=1"), QStringLiteral("--overlay-items=map"), log}).exitCode, 0);
        QCOMPARE(Probe(overlay), QStringLiteral("png,200,100,rgba,10/1,20"));
        look.Items = OverlayMap;
        const Flight zoned = Derived(log, 1);
        QCOMPARE(FrameBytes(overlay, 10), Drawn(zoned, look, 25));
        QVERIFY(Drawn(zoned, look, 0) != Drawn(Derived(log), look, 0));
    }

    void videoCopy_data()
    {
        QTest::addColumn<QString>("codec");  // ffmpeg's encoder, ffprobe's name
        QTest::newRow("H.264") << QStringLiteral("libx264 h264");
        QTest::newRow("MPEG-4 Part 2, its size only in its pictures") << QStringLiteral("mpeg4 mpeg4");
    }
    // A clip with video, sound, the drone's own subtitle track and a
    // location; the copy without and with a privacy zone.
    void videoCopy()
    {
        QFETCH(QString, codec);
        const QString encoder = codec.section(QLatin1Char(' '), 0, 0), name = codec.section(QLatin1Char(' '), 1);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("v.SRT")), clip = dir.filePath(QStringLiteral("v.MP4"));
        QVERIFY(Generate(log, {QStringLiteral("--family"), QStringLiteral("D"), QStringLiteral("--fps"), QStringLiteral("25"),
                               QStringLiteral("--blocks"), QStringLiteral("60")}));
        QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=64x48:r=25:d=3 -f lavfi -i sine=d=3 -i %1 "
                                           "-map 0 -map 1 -map 2 -c:v %3 -c:a aac -c:s mov_text -metadata location=+47.3769+008.5417/ %2")
                                .arg(log, clip, encoder).split(QLatin1Char(' '))).err, QByteArray());
        const QString copy = dir.filePath(QStringLiteral("v.sorned.MP4"));
        const auto md5 = [](const QString& video) {
            return RunProgram({QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                               QStringLiteral("-map"), QStringLiteral("0:v"), QStringLiteral("-map"), QStringLiteral("0:a"),
                               QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), QStringLiteral("md5"), QStringLiteral("-")}).out;
        };
        const auto tracks = [](const QString& video) {
            return RunProgram({QStringLiteral("ffprobe"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                               QStringLiteral("stream=codec_name:stream_tags=handler_name:stream_disposition=default:format_tags=location"),
                               QStringLiteral("-of"), QStringLiteral("csv=p=0"), video}).out;
        };
        const auto firstSubtitles = [](const QString& video) {
            return RunProgram({QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                               QStringLiteral("-map"), QStringLiteral("0:s:0"), QStringLiteral("-c:s"), QStringLiteral("text"),
                               QStringLiteral("-f"), QStringLiteral("srt"), QStringLiteral("-")}).out.replace("\r\n", "\n");
        };  // (ffmpeg's .srt writer ends the lines inside a block with CR LF)
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-gpx"),
                             QStringLiteral("--video-copy"), log}).exitCode, 0);
        QCOMPARE(md5(copy), md5(clip));
        QCOMPARE(tracks(copy), name.toUtf8() + ",1,VideoHandler\naac,1,SoundHandler\nmov_text,1,Velloa\nmov_text,0,SubtitleHandler\n"
                                                 "-34.6037-058.3816/\n");
        // The subtitle file's blocks without their number and cue lines, as an .srt of the track numbers them again.
        QByteArray expected;
        const QList<QByteArray> blocks = ReadFile(dir.filePath(QStringLiteral("v.sorned.srt"))).split('\n');
        for (int i = 0, n = 0; i + 3 < blocks.size(); i += 5)
            expected += QByteArray::number(++n) + '\n' + blocks[i + 1] + '\n' + blocks[i + 2] + '\n' + blocks[i + 3] + "\n\n";
        QCOMPARE(firstSubtitles(copy), expected);
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-gpx"), QStringLiteral("--no-srt"),
                             QStringLiteral("--privacy-radius=1"), QStringLiteral("--video-copy"), log}).exitCode, 0);
        QCOMPARE(md5(copy), md5(clip));
        QCOMPARE(tracks(copy), name.toUtf8() + ",1,VideoHandler\naac,1,SoundHandler\nmov_text,1,Velloa\n\n");
        QVERIFY(QFile::remove(clip));
        const ProcessRun none = RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-gpx"),
                                            QStringLiteral("--no-srt"), QStringLiteral("--video-copy"), QStringLiteral("v.SRT")}, dir.path());
        QCOMPARE(none.exitCode, 1);
        QCOMPARE(none.err, QByteArray("velloa-cli: v.SRT: no video beside the log\n"));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("error");
        QTest::newRow("size") << QStringLiteral("--overlay-size=8x8") << 2 << QStringLiteral("--overlay-size must be WxH, each from 16 to 8192");
        QTest::newRow("odd prores") << QStringLiteral("--overlay-codec=prores --overlay-size=101x100") << 2
                                    << QStringLiteral("--overlay-size must be WxH, each from 16 to 8192 and even for prores");
        QTest::newRow("fps") << QStringLiteral("--overlay-fps=0") << 2 << QStringLiteral("--overlay-fps must be a number");
        QTest::newRow("codec") << QStringLiteral("--overlay-codec=h264") << 2 << QStringLiteral("--overlay-codec must be one of: png, qtrle, prores");
        QTest::newRow("corner") << QStringLiteral("--overlay-corner=middle") << 2
                                << QStringLiteral("--overlay-corner must be one of: top-left, top-right, bottom-left, bottom-right");
        QTest::newRow("items") << QStringLiteral("--overlay-items=text,sky") << 2 << QStringLiteral("--overlay-items must be a list of: text, map, gauges");
        QTest::newRow("unreadable clip") << QStringLiteral("clip") << 1
                                         << QStringLiteral("velloa-cli: f.overlay.mov: the clip ./f.mp4 cannot be read\n");
        QTest::newRow("read-only folder") << QStringLiteral("--output-dir=ro") << 1
                                          << QStringLiteral("velloa-cli: ro/f.overlay.mov: the overlay video cannot be written: ");
    }
    void refusals()
    {
        QFETCH(QString, option);
        QFETCH(int, exit);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QVERIFY(Generate(dir.filePath(QStringLiteral("f.SRT")), {QStringLiteral("--blocks"), QStringLiteral("3")}));
        QStringList command{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-srt"),
                            QStringLiteral("--no-gpx"), QStringLiteral("--overlay")};
        if (option == QLatin1String("clip"))
            QVERIFY(WriteFile(dir.filePath(QStringLiteral("f.mp4")), "not a video"));
        else
            command << option.split(QLatin1Char(' '));
        const bool readOnly = option.contains(QLatin1String("=ro"));
        if (readOnly) {
            const QString probe = dir.filePath(QStringLiteral("probe"));
            QVERIFY(WriteFile(probe, "x") && QFile::setPermissions(probe, {}));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro"))
                    && QFile::setPermissions(dir.filePath(QStringLiteral("ro")), QFile::ReadOwner | QFile::ExeOwner));
            command = Unprivileged(command, probe);
            if (command.isEmpty())
                QSKIP("root, and setpriv cannot make the permission bits count here");
        }
        const QStringList before = Entries(dir.path());
        const ProcessRun run = RunProgram(command << QStringLiteral("f.SRT"), dir.path());
        QCOMPARE(run.exitCode, exit);
        QVERIFY2(QString::fromUtf8(run.err).startsWith(exit == 2 ? QStringLiteral("velloa-cli: ") + error : error), run.err.constData());
        QCOMPARE(Entries(dir.path()), before);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("ro/f.overlay.mov"))));
    }
};

QTEST_MAIN(TestVideoOutputs)
#include "test_video_outputs.moc"
