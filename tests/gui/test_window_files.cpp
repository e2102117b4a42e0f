// The three file-name fields: however the input name arrives (typed and
// confirmed, dropped, picked with "Open .SRT "), both output names follow it,
// replacing whatever was typed there, and the fields are coloured. `velloa
// [FILE]`: FILE lands in the input field as a drop does; --version and bad
// usage open no window.
#include "window/SornLogic.h"
#include "window/WindowStart.h"
#include "support/DialogDriver.h"
#include "support/Support.h"
#include "window/MainWindowWidgets.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <memory>

class TestWindowFiles : public QObject {
    Q_OBJECT

private slots:
    void nameArrives_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("value");  // %T: a folder holding b.SRT
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("srt");
        QTest::addColumn<QString>("gpx");
        QTest::newRow("typed") << "type" << "/d/DJI_0001.SRT" << "/d/DJI_0001.SRT" << "/d/DJI_0001.sorned.srt" << "/d/DJI_0001.gpx";
        QTest::newRow("small suffix") << "type" << "/d/f.srt" << "/d/f.srt" << "/d/f.sorned.srt" << "/d/f.gpx";
        QTest::newRow("one suffix cut") << "type" << "/d/a.SRT.SRT" << "/d/a.SRT.SRT" << "/d/a.SRT.sorned.srt" << "/d/a.SRT.gpx";
        QTest::newRow("other suffix") << "type" << "/d/n.txt" << "/d/n.txt" << "/d/n.txt.sorned.srt" << "/d/n.txt.gpx";
        QTest::newRow("emptied") << "type" << "" << "" << ".sorned.srt" << ".gpx";
        QTest::newRow("dropped file") << "drop" << "file:///d/my%20f.SRT\r\n" << "/d/my f.SRT" << "/d/my f.sorned.srt" << "/d/my f.gpx";
        QTest::newRow("dropped address") << "drop" << "https://e.org/a.SRT" << "https://e.org/a.SRT" << "https://e.org/a.sorned.srt" << "https://e.org/a.gpx";
        QTest::newRow("picked") << "browse" << "%T/b.SRT" << "%T/b.SRT" << "%T/b.sorned.srt" << "%T/b.gpx";
        QTest::newRow("picking cancelled") << "browse" << "" << "" << ".sorned.srt" << ".gpx";
    }

    void nameArrives()
    {
        QFETCH(QString, how);
        QFETCH(QString, value);
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("b.SRT")), "1"));
        value.replace(QStringLiteral("%T"), dir.path());
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->show();
        w->InFileNameEdit->setText(QStringLiteral("/old.SRT"));
        w->OutSrtFileNameEdit->setText(QStringLiteral("typed by hand"));
        DialogDriver driver;
        if (how == QLatin1String("type")) {
            w->InFileNameEdit->setText(value);
            QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);
        } else if (how == QLatin1String("drop")) {
            QMimeData mime;
            mime.setData(QStringLiteral("text/uri-list"), value.toUtf8());
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            enter.ignore();
            drop.ignore();
            QApplication::sendEvent(w->InFileNameEdit, &enter);
            QApplication::sendEvent(w->InFileNameEdit, &drop);
            QVERIFY(enter.isAccepted() && drop.isAccepted());
        } else {
            driver.FileAnswers << value;
            QTest::mouseClick(w->OpenSrtButton, Qt::LeftButton);
            QCOMPARE(driver.Seen, QStringList{QStringLiteral("file Open .SRT file: Flight logs and videos (*.srt *.mp4 *.mov)")});
        }
        QFETCH(QString, input);
        QFETCH(QString, srt);
        QFETCH(QString, gpx);
        QCOMPARE(w->InFileNameEdit->text(), input.replace(QStringLiteral("%T"), dir.path()));
        QCOMPARE(w->OutSrtFileNameEdit->text(), srt.replace(QStringLiteral("%T"), dir.path()));
        QCOMPARE(w->OutGpxFileNameEdit->text(), gpx.replace(QStringLiteral("%T"), dir.path()));
        const QString styled = QStringLiteral("background-color:#F8FFF0");
        QCOMPARE(w->InFileNameEdit->styleSheet(), input.isEmpty() ? QStringLiteral("background-color:#FFFFF0") : styled);
        QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), input.isEmpty() ? QString() : styled);
        QCOMPARE(w->OutGpxFileNameEdit->styleSheet(), input.isEmpty() ? QString() : styled);
    }

    void start_data()
    {
        QTest::addColumn<QString>("args");    // after "velloa", split at '|'
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed"); // standard output, then "|", then the first line of standard error
        QTest::addColumn<QString>("fields");  // input | output .srt | output .gpx, empty: no window
        QTest::newRow("file") << QStringLiteral("/m/Flug über See.SRT") << 0 << QStringLiteral("|")
                              << QStringLiteral("/m/Flug über See.SRT|/m/Flug über See.sorned.srt|/m/Flug über See.gpx");
        QTest::newRow("no file") << QString() << 0 << QStringLiteral("|") << QStringLiteral("||");
        QTest::newRow("version") << QStringLiteral("--version") << 0 << QStringLiteral("velloa " VELLOA_VERSION "\n|") << QString();
        QTest::newRow("two files") << QStringLiteral("a.SRT|b.SRT") << 2 << QStringLiteral("|velloa: only one FILE can be given") << QString();
    }
    void start()
    {
        QFETCH(QString, args);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const QStringList arguments = QStringList{QStringLiteral("velloa")} + args.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        const WindowStart started = StartWindow(arguments, outStream, errStream);
        const std::unique_ptr<SornLogic> logic(started.Logic);
        QTEST(started.ExitCode, "exitCode");
        QTEST(out + QLatin1Char('|') + err.section(QLatin1Char('\n'), 0, 0), "printed");
        const MainWindowWidgets* w = logic ? logic->Widgets : nullptr;
        const QStringList fields = w && w->Window->isVisible()
            ? QStringList{w->InFileNameEdit->text(), w->OutSrtFileNameEdit->text(), w->OutGpxFileNameEdit->text()}
            : QStringList{};
        QTEST(fields.join(QLatin1Char('|')), "fields");
    }
};

QTEST_MAIN(TestWindowFiles)
#include "test_window_files.moc"
