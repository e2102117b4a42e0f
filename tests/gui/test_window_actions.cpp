// The two write buttons: the boxes the user sees (in order, icon, title and
// text), the file written (the reference case's expected file: the window
// writes what velloa-cli writes), that a file not to be written keeps its
// earlier bytes, and the "Way before, m" field after the press. The rows are
// the README's "What happens when..." rows where the window has logic of its own.
#include "window/SornLogic.h"
#include "support/DialogDriver.h"
#include "support/Support.h"
#include "window/MainWindowWidgets.h"
#include "output/Outputs.h"

#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

class TestWindowActions : public QObject {
    Q_OBJECT

private slots:
    void press_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("log");     // a reference case, copied to log.SRT; "": no input name
        QTest::addColumn<QString>("edit");    // fields set before the press: NAME=TEXT;...
        QTest::addColumn<QString>("output");  // in the test folder, holding "earlier" when it is "out"
        QTest::addColumn<int>("limit");       // a file size limit in bytes during the press
        QTest::addColumn<QString>("boxes");  // "|"-separated; %O: the output; a trailing * matches any rest
        QTest::addColumn<QString>("way");    // the field after the press
        const QString stationary = QStringLiteral("information Read information: Parsed 6 records\r\n\r\nFirst: GPS: "
                                                  "59.8771, 30.2351 SrtTime: 00:00:00,000 --> 00:00:01,000\r\nWay: 0\r\n|");
        const QString ok = QStringLiteral("information OK: %O has been writed!");
        for (const QString& b : {QStringLiteral("srt"), QStringLiteral("gpx")}) {
            const bool srt = b == QLatin1String("srt");
            const auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s, %s", qPrintable(b), name) << b; };
            const QString after = srt ? QStringLiteral("information Read information: Parsed 12 records*|") : QString();
            const char* moved = srt ? "70.1" : "0.0";
            const QString noPositions = QStringLiteral("warning Info: No GPS positions found.");
            row("no input name") << "" << "" << "out" << 0 << "warning Au...: Please, specify input file name" << "0.0";
            row("missing file") << "missing" << "" << "out" << 0 << "warning Info: File not exists." << "0.0";
            row("empty file") << "bad_empty_file" << "" << "out" << 0 << noPositions << "0.0";
            row("no blocks") << "bad_blank_lines" << "" << "out" << 0 << noPositions << "0.0";
            row("video without subtitles") << "missing" << "InFileNameEdit=" TEST_DATA_DIR "/../../fuzz/corpus/video/no-subtitles.mov" << "out"
                                           << 0 << "warning Info: This video holds no flight record (no subtitle track)." << "0.0";
            row("hovering") << "stationary_crlf" << "" << "out" << 0 << (srt ? stationary : QString()) + ok << "0.0";
            row("flight") << "diagonal_heights" << "" << "out" << 0 << after + ok << moved;
            row("edited GPS pattern") << "bad_invalid_pattern" << "InPatternEdits_3=GPS[(]([-]?[0-9]+" << "out" << 0
                                      << noPositions << "0.0";
            if (srt)
                row("settings fields") << "hover_spread_no_smoothing" << "WayBeforeEdit=100;SmoothGpsEdit=0" << "out" << 0
                                       << QStringLiteral("information Read information: Parsed 17 records*|") + ok << "181.0";
            row("no output name") << "diagonal_heights" << "" << "" << 0 << after + QLatin1String("warning Au...: Please, specify output file name") << "0.0";
            const QString sameFile = after + QLatin1String("warning Au...: Output file must differ from input file");
            row("output is the input") << "diagonal_heights" << "" << "log.SRT" << 0 << sameFile << "0.0";
            row("output is a link to it") << "diagonal_heights" << "" << "link" << 0 << sameFile << "0.0";
            // The way moves on only with a written file.
            row("output folder missing") << "diagonal_heights" << "" << "none/out" << 0 << after + QLatin1String("warning Info: File not opened for writing.") << "0.0";
            // The whole file is still in Qt's write buffer when the limit strikes.
            row("write fails") << "diagonal_heights" << "" << "out" << (srt ? 1024 : 256)
                               << after + QLatin1String("warning Fail: %O - something wrong during writing...") << "0.0";
        }
    }

    void press()
    {
        QFETCH(QString, button);
        QFETCH(QString, log);
        QFETCH(QString, edit);
        QFETCH(QString, output);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("log.SRT")), out = dir.filePath(output);
        const QString source = QStringLiteral(TEST_DATA_DIR "/reference/") + log + QLatin1Char('/');
        QVERIFY(log == QLatin1String("missing") || log.isEmpty() || QFile::copy(source + QStringLiteral("flight.SRT"), input));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("out")), "earlier") && QFile::link(input, dir.filePath(QStringLiteral("link"))));
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        const bool srt = button == QLatin1String("srt");
        w->InFileNameEdit->setText(log.isEmpty() ? QString() : input);
        (srt ? w->OutSrtFileNameEdit : w->OutGpxFileNameEdit)->setText(output.isEmpty() ? QString() : out);
        for (const QString& field : edit.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            w->Window->findChild<QLineEdit*>(field.section(QLatin1Char('='), 0, 0))->setText(field.section(QLatin1Char('='), 1));
        const QByteArray logBytes = ReadFile(input);
        DialogDriver driver;
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lowered{rlim_t(limit), saved.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(limit == 0 || setrlimit(RLIMIT_FSIZE, &lowered) == 0);
        QTest::mouseClick(srt ? w->WriteSrtButton : w->WriteGpxButton, Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &saved);

        QFETCH(QString, boxes);
        QFETCH(QString, way);
        const QStringList expectedBoxes = boxes.replace(QStringLiteral("%O"), out).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        QVERIFY2(driver.Seen.size() == expectedBoxes.size(), qPrintable(QStringLiteral("seen: ") + driver.Seen.join(QStringLiteral(" / "))));
        for (int i = 0; i < expectedBoxes.size(); ++i) {
            const QString& expected = expectedBoxes[i];
            QVERIFY2(expected.endsWith(QLatin1Char('*')) ? driver.Seen[i].startsWith(expected.chopped(1)) : driver.Seen[i] == expected,
                     qPrintable(QStringLiteral("box %1: %2\n   expected: %3").arg(i + 1).arg(driver.Seen[i], expected)));
        }
        const bool written = boxes.endsWith(QLatin1String("has been writed!"));
        QCOMPARE(ReadFile(dir.filePath(QStringLiteral("out"))),
                 written ? ReadFile(source + (srt ? QStringLiteral("expected.sorned.srt") : QStringLiteral("expected.gpx"))) : QByteArray("earlier"));
        if (written && !srt)
            VERIFY_GPX(out);
        QCOMPARE(ReadFile(input), logBytes);
        QCOMPARE(Entries(dir.path()).join(QLatin1Char(' ')), QFile::exists(input) ? QStringLiteral("link log.SRT out") : QStringLiteral("link out"));
        QCOMPARE(w->WayBeforeEdit->text(), way);
        QCOMPARE(w->WayBeforeEdit->styleSheet(), way == QLatin1String("0.0") ? QString() : QStringLiteral("background-color:#F8FFF0"));

        // The log's CSV, written next, starts from the way its subtitle file
        // started from (as velloa-cli writes it), not the way written back.
        if (!srt || !written)
            return;
        const MainWindowWidgets::OutputRow& csv = *std::find_if(w->OtherOutputs.begin(), w->OtherOutputs.end(),
            [](const MainWindowWidgets::OutputRow& row) { return QLatin1String(row.Kind->Id) == QLatin1String("csv"); });
        csv.NameEdit->setText(dir.filePath(QStringLiteral("log.csv")));
        csv.WriteButton->click();
        const QStringList args = QString::fromUtf8(ReadFile(source + QStringLiteral("args"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--csv"), QStringLiteral("--no-srt"), QStringLiteral("--no-gpx"),
                                        QStringLiteral("--output-dir=") + dir.filePath(QStringLiteral("cli")), input}
                            + args.filter(QStringLiteral("--"))).exitCode, 0);
        QCOMPARE(ReadFile(dir.filePath(QStringLiteral("log.csv"))), ReadFile(dir.filePath(QStringLiteral("cli/log.csv"))));
    }
};

QTEST_MAIN(TestWindowActions)
#include "test_window_actions.moc"
