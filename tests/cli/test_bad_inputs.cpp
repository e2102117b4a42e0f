// The README's "What happens when..." rows for velloa-cli that need more than
// a log's bytes (those are cases under data/reference): what it prints, its
// exit status, the files it adds, and that every file there before is unchanged.
#include "support/Support.h"

#include <QDirIterator>
#include <QTemporaryDir>

namespace {

// `count` blocks, LF line ends, a constant height of 1.5 m; no two records five
// apart at the same place.
QByteArray Flight(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const int lat = 100000 + i % 50000, lon = 200000 + i / 50000;
        bytes += QByteArray::number(i + 1) + "\n00:00:00,000 --> 00:00:01,000\nHOME(20.0000,10.0000) 2019.06.20 12:00:00\n"
            + "GPS(" + QByteArray::number(lon / 10000) + '.' + QByteArray::number(lon % 10000).rightJustified(4, '0') + ','
            + QByteArray::number(lat / 10000) + '.' + QByteArray::number(lat % 10000).rightJustified(4, '0')
            + ",17) BAROMETER:1.5\n\n";
    }
    return bytes;
}

QMap<QString, QByteArray> Files(const QString& dir)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();)
    {
        const QString path = it.next();
        const QFileInfo info(path);  // a large file by its size and time
        files[QDir(dir).relativeFilePath(path)] = info.isSymLink() ? "link" : info.size() < (1 << 24) ? ReadFile(path)
            : QByteArray::number(info.size()) + ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    }
    return files;
}

} // namespace

class TestBadInputs : public QObject {
    Q_OBJECT

private slots:
    void row_data()
    {
        QTest::addColumn<QByteArray>("setup");  // what the folder holds besides a.SRT
        QTest::addColumn<int>("blocks");        // of a.SRT
        QTest::addColumn<QByteArray>("args");   // split at spaces; null: none
        QTest::addColumn<int>("exit");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("added");  // files that must appear
        const QByteArray both = "a.gpx a.sorned.srt", fail = "velloa-cli: %1: %1 - something wrong during writing...\n";
        QTest::newRow("no LOG") << QByteArray() << 3 << QByteArray() << 2 << QByteArray("velloa-cli: no LOG given\n\nUsage: ") << QByteArray();
        QTest::newRow("bad pattern label") << QByteArray() << 3 << QByteArray("--pattern=Gps=x a.SRT") << 2
                                           << QByteArray("velloa-cli: bad --pattern \"Gps=x\"") << QByteArray();
        QTest::newRow("unknown track") << QByteArray() << 3 << QByteArray("--track=smooth a.SRT") << 2
                                       << QByteArray("velloa-cli: bad --track \"smooth\": expected design or estimate") << QByteArray();
        QTest::newRow("missing pattern file") << QByteArray() << 3 << QByteArray("--out-pattern-file=p a.SRT") << 1
                                              << QByteArray("velloa-cli: p: File not exists.\n") << QByteArray();
        // The second file's way starts where the first one's ended, written or not (checked below).
        QTest::newRow("flight in two files") << QByteArray("chain") << 12 << QByteArray("--quiet --smooth=0 a.SRT b.SRT") << 0
                                             << QByteArray() << QByteArray("a.gpx a.sorned.srt b.gpx b.sorned.srt");
        QTest::newRow("flight in two files, no subtitles") << QByteArray("chain") << 12 << QByteArray("--smooth=0 --no-srt a.SRT b.SRT")
                                                           << 0 << QByteArray() << QByteArray("a.gpx b.gpx");
        QTest::newRow("empty LOG") << QByteArray() << 3 << QByteArray("") << 1 << QByteArray("velloa-cli: : File not exists.\n") << QByteArray();
        QTest::newRow("missing file") << QByteArray() << 3 << QByteArray("b.SRT a.SRT") << 1
                                      << QByteArray("velloa-cli: b.SRT: File not exists.\n") << both;
        QTest::newRow("folder without logs") << QByteArray("dir") << 3 << QByteArray("d.SRT") << 1
                                             << QByteArray("velloa-cli: d.SRT: no logs in the folder\n") << QByteArray();
        QTest::newRow("unknown join") << QByteArray() << 3 << QByteArray("--join=all a.SRT") << 2
                                      << QByteArray("velloa-cli: unknown --join mode: all\n") << QByteArray();
        QTest::newRow("no jobs") << QByteArray() << 3 << QByteArray("--jobs=0 a.SRT") << 2
                                 << QByteArray("velloa-cli: --jobs needs a whole number of 1 or more\n") << QByteArray();
        QTest::newRow("no read permission") << QByteArray("unreadable") << 3 << QByteArray("a.SRT") << 1
                                            << QByteArray("velloa-cli: a.SRT: File not opened.\n") << QByteArray();
        QTest::newRow("over 1 GiB") << QByteArray("huge") << 3 << QByteArray("h.SRT") << 1
                                    << QByteArray("velloa-cli: h.SRT: File too large.\n") << QByteArray();
        QTest::newRow("million blocks") << QByteArray() << 1000000 << QByteArray("--quiet a.SRT") << 0 << QByteArray() << both;
        QTest::newRow("output folder made") << QByteArray() << 3 << QByteArray("--quiet --output-dir=n/m a.SRT") << 0
                                            << QByteArray() << QByteArray("n/m/a.gpx n/m/a.sorned.srt");
        QTest::newRow("output folder impossible") << QByteArray("blocker") << 3 << QByteArray("--output-dir=f/sub a.SRT") << 1
                                                  << QByteArray("velloa-cli: f/sub: Output folder cannot be created.\n") << QByteArray();
        QTest::newRow("read-only output folder")
            << QByteArray("readonly") << 3 << QByteArray("--output-dir=ro a.SRT") << 1
            << QByteArray("velloa-cli: ro/a.gpx: File not opened for writing.\nvelloa-cli: ro/a.sorned.srt: File not opened for writing.\n")
            << QByteArray();
        QTest::newRow("output is a link to the input")
            << QByteArray("link") << 3 << QByteArray("--quiet --output-dir=o a.SRT") << 1
            << QByteArray("velloa-cli: o/a.sorned.srt: Output file must differ from input file\n") << QByteArray("o/a.gpx");
        // Videos made from a.SRT by the ffmpeg program (v.mp4; "cut": half of it).
        const QByteArray unread = "velloa-cli: v.mp4: the video cannot be read\n";
        QTest::newRow("video") << QByteArray("video") << 3 << QByteArray("--quiet v.mp4") << 0 << QByteArray() << QByteArray("v.gpx v.sorned.srt");
        QTest::newRow("video without subtitles") << QByteArray("video none") << 3 << QByteArray("v.mp4") << 1
                                                 << QByteArray("velloa-cli: v.mp4: no flight record in the video\n") << QByteArray();
        QTest::newRow("cut video") << QByteArray("video cut") << 3 << QByteArray("v.mp4") << 1 << unread << QByteArray();
        QTest::newRow("cut video, index first") << QByteArray("video cut +faststart") << 3 << QByteArray("v.mp4") << 1 << unread << QByteArray();
        // A damaged index found by fuzzing (1,758 bytes claiming 7 million samples).
        QTest::newRow("damaged index") << QByteArray("found") << 3 << QByteArray("v.mp4") << 1 << unread << QByteArray();
        QTest::newRow("text file named as a video") << QByteArray("text") << 3 << QByteArray("v.mp4") << 1 << unread << QByteArray();
        QTest::newRow("unreadable video") << QByteArray("video unreadable") << 3 << QByteArray("v.mp4") << 1
                                          << QByteArray("velloa-cli: v.mp4: File not opened.\n") << QByteArray();
        QTest::newRow("video beside its log") << QByteArray("text beside") << 3 << QByteArray("--quiet a.MOV") << 0 << QByteArray() << both;
        // A file size limit of 8 KiB fails the write, during the writes or
        // (80 and 1000 blocks) only when Qt's last buffered 16 KiB go out.
        for (const int blocks : {80, 2000})
            QTest::addRow("subtitles fail half-way, %d blocks", blocks) << QByteArray("ulimit") << blocks
                << QByteArray("--no-gpx a.SRT") << 1 << QByteArray(fail).replace("%1", "a.sorned.srt") << QByteArray();
        for (const int blocks : {1000, 2000})
            QTest::addRow("route fails half-way, %d blocks", blocks) << QByteArray("ulimit") << blocks
                << QByteArray("--no-srt a.SRT") << 1 << QByteArray(fail).replace("%1", "a.gpx") << QByteArray();
    }

    void row()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, blocks);
        QFETCH(QByteArray, args);
        QTemporaryDir dir;
        const QString probe = dir.filePath(QStringLiteral("probe"));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("a.SRT")), Flight(blocks)) && WriteFile(probe, "x"));
        QVERIFY(QFile::setPermissions(probe, {}));
        QStringList command{QStringLiteral(VELLOA_CLI_PATH)};
        for (const QByteArray& arg : args.isNull() ? QList<QByteArray>() : args.split(' '))
            command << QString::fromUtf8(arg);
        QString restore;  // a file or folder whose permissions are set back
        if (setup == "chain")
            QVERIFY(QFile::copy(dir.filePath(QStringLiteral("a.SRT")), dir.filePath(QStringLiteral("b.SRT"))));
        if (setup == "dir")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.SRT")));
        if (setup == "huge") {
            QFile huge(dir.filePath(QStringLiteral("h.SRT")));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 30) + 1));
        }
        if (setup == "blocker")
            QVERIFY(WriteFile(dir.filePath(QStringLiteral("f")), "x"));
        if (setup == "link")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("o")) && QFile::link(dir.filePath(QStringLiteral("a.SRT")), dir.filePath(QStringLiteral("o/a.sorned.srt"))));
        if (setup == "readonly") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ro")));
            QVERIFY(WriteFile(dir.filePath(QStringLiteral("ro/a.gpx")), "earlier") && WriteFile(dir.filePath(QStringLiteral("ro/a.sorned.srt")), "earlier"));
            restore = dir.filePath(QStringLiteral("ro"));
        }
        if (setup == "ulimit") {
            QVERIFY(WriteFile(dir.filePath(QStringLiteral("a.gpx")), "earlier") && WriteFile(dir.filePath(QStringLiteral("a.sorned.srt")), "earlier"));
            command = QStringList{QStringLiteral("/bin/bash"), QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 8; exec \"$@\""), QStringLiteral("-")} + command;
        }
        const QString video = dir.filePath(setup.endsWith("beside") ? QStringLiteral("a.MOV") : QStringLiteral("v.mp4"));
        if (setup.startsWith("video")) {
            const QString subtitles = setup.endsWith("none") ? QString() : QStringLiteral(" -i %1 -map 0 -map 1 -c:s mov_text").arg(dir.filePath(QStringLiteral("a.SRT")));
            QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=32x32:r=5:d=2%1 -c:v mpeg4 %2 %3")
                                    .arg(subtitles, setup.endsWith("faststart") ? QStringLiteral("-movflags +faststart") : QStringLiteral("-an"), video)
                                    .split(QLatin1Char(' '))).err, QByteArray());
        }
        if (setup.startsWith("video cut"))
            QVERIFY(QFile::resize(video, QFileInfo(video).size() / 2));
        if (setup == "found")
            QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/../../fuzz/corpus/video/damaged-index-slow.mp4"), video));
        if (setup.startsWith("text"))
            QVERIFY(QFile::copy(dir.filePath(QStringLiteral("a.SRT")), video));
        const QMap<QString, QByteArray> before = Files(dir.path());
        if (setup.endsWith("unreadable"))
            restore = setup == "unreadable" ? dir.filePath(QStringLiteral("a.SRT")) : video;
        if (!restore.isEmpty()) {
            QVERIFY(QFile::setPermissions(restore, restore.endsWith(QLatin1String("ro")) ? QFile::ReadOwner | QFile::ExeOwner : QFile::Permissions()));
            command = Unprivileged(command, probe);
        }
        const ProcessRun run = command.isEmpty() ? ProcessRun() : RunProgram(command, dir.path());
        if (!restore.isEmpty())
            QVERIFY(QFile::setPermissions(restore, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        if (command.isEmpty())
            QSKIP("root, and setpriv cannot make the permission bits count here");

        QFETCH(int, exit);
        QFETCH(QByteArray, err);
        QFETCH(QByteArray, added);
        QCOMPARE(run.exitCode, exit);
        QVERIFY2(exit == 2 ? run.err.startsWith(err) : run.err == err, run.err.constData());
        QMap<QString, QByteArray> after = Files(dir.path());
        for (const QByteArray& name : added.split(' '))
            QVERIFY2(name.isEmpty() || after.remove(QString::fromUtf8(name)) == 1, name.constData());
        QCOMPARE(after, before);
        if (setup == "chain") {  // each file: 10 steps of 0.0001 degrees north counted, 111.3206 m on the 6378.2 km
            // sphere; b continues from a's way with one decimal, 111.3 m (the summary shows the way at the end)
            const QByteArray b = ReadFile(dir.filePath(QStringLiteral("b.sorned.srt")));
            QVERIFY2(added.contains("b.sorned.srt") ? b.split('\n').value(3).endsWith("Way: 111.3m") && b.contains("Way: 222.6m")
                                                    : run.out.contains("\nWay: 111.321\n") && run.out.endsWith("\nWay: 222.621\nb.gpx has been writed!\n"),
                     run.out + b);
        }
        if (blocks == 1000000) {
            QCOMPARE(ReadFile(dir.filePath(QStringLiteral("a.sorned.srt"))).count("   Way: "), blocks);
            QCOMPARE(ReadFile(dir.filePath(QStringLiteral("a.gpx"))).count("<rtept "), blocks / 5);
        }
        for (const QByteArray& name : added.split(' '))
            if (name.endsWith(".gpx"))
                VERIFY_GPX(dir.filePath(QString::fromUtf8(name)));
    }
};

QTEST_GUILESS_MAIN(TestBadInputs)
#include "test_bad_inputs.moc"
