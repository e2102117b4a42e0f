// The rows made with the clip beside the log: each writes the file velloa-cli
// writes with the same settings (the frames' md5 by ffmpeg's framemd5), or
// refuses in velloa-cli's words and writes nothing; Cancel leaves no file;
// the flight view's "Overlay" shows the overlay painter's frame of the moment.
#include "window/SornLogic.h"
#include "conversion/Conversion.h"
#include "overlay/OverlayFrame.h"
#include "support/DialogDriver.h"
#include "support/Support.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/MapView.h"
#include "window/Playback.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

bool Generate(const QString& log, const QStringList& options)
{
    return RunProgram(QStringList{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH)} + options + QStringList{log}).exitCode == 0;
}

// Every stream's packets of a video, one md5 a packet.
QByteArray FrameMd5(const QString& video)
{
    return RunProgram({QStringLiteral("ffmpeg"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), video,
                       QStringLiteral("-map"), QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("copy"),
                       QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")}).out;
}

void SetField(MainWindowWidgets* w, const QString& name, const QString& value)
{
    QWidget* field = w->Window->findChild<QWidget*>(name);
    QVERIFY2(field, qPrintable(name));
    if (auto* check = qobject_cast<QCheckBox*>(field))
        check->setChecked(value == QLatin1String("on"));
    else if (auto* combo = qobject_cast<QComboBox*>(field))
        combo->setCurrentIndex(combo->findData(value));
    else
        field->setProperty("text", value);
}

} // namespace

class TestWindowVideo : public QObject {
    Q_OBJECT

private slots:
    void rowWritesWhatCliWrites_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("clip");       // a clip c.MP4 beside the log c.SRT
        QTest::addColumn<QString>("fields");  // NAME=VALUE;... set before the press
        QTest::addColumn<QStringList>("cli"); // velloa-cli's options for the same file; none: nothing written
        QTest::addColumn<QString>("box");     // %D: the folder
        const QString overlay = QStringLiteral("Write_overlay_Button"), copy = QStringLiteral("Write_videocopy_Button");
        QTest::newRow("overlay, default look") << overlay << true << QString() << QStringList{QStringLiteral("--overlay")}
                                               << QStringLiteral("information OK: %D/c.overlay.mov has been written (30 frames)");
        QTest::newRow("overlay, the look chosen")
            << overlay << true << QStringLiteral("OverlayCodecCombo=qtrle;OverlayCornerCombo=top-right;OverlayItem_map=off")
            << QStringList{QStringLiteral("--overlay"), QStringLiteral("--overlay-codec=qtrle"),
                           QStringLiteral("--overlay-corner=top-right"), QStringLiteral("--overlay-items=text,gauges")}
            << QStringLiteral("information OK: %D/c.overlay.mov has been written (30 frames)");
        QTest::newRow("overlay, no item") << overlay << true
                                          << QStringLiteral("OverlayItem_map=off;OverlayItem_text=off;OverlayItem_gauges=off")
                                          << QStringList() << QStringLiteral("warning Fail: --overlay-items must be a list of: text, map, gauges");
        QTest::newRow("overlay, folder missing") << overlay << true << QStringLiteral("Out_overlay_FileNameEdit=%D/none/o.mov")
                                                 << QStringList() << QStringLiteral("warning Fail: %D/none/o.mov: the overlay video cannot be written*");
        QTest::newRow("copy") << copy << true << QString() << QStringList{QStringLiteral("--video-copy")}
                              << QStringLiteral("information OK: %D/c.sorned.MP4 has been written");
        QTest::newRow("copy, no clip") << copy << false << QString() << QStringList()
                                       << QStringLiteral("warning Fail: %D/c.SRT: no video beside the log");
    }

    void rowWritesWhatCliWrites()
    {
        QFETCH(QString, button);
        QFETCH(bool, clip);
        QFETCH(QString, fields);
        QFETCH(QStringList, cli);
        QFETCH(QString, box);
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("c.SRT"));
        QVERIFY(Generate(log, {QStringLiteral("--family"), QStringLiteral("C"), QStringLiteral("--blocks"), QStringLiteral("3")}));
        if (clip)
            QCOMPARE(RunProgram(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=black:s=64x36:r=10:d=3 -c:v libx264 %1")
                                    .arg(dir.filePath(QStringLiteral("c.MP4"))).split(QLatin1Char(' '))).err, QByteArray());
        const QStringList before = Entries(dir.path());
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        logic.OpenInputFile(log);
        QCOMPARE(w->OverlayNameEdit->text(), dir.filePath(QStringLiteral("c.overlay.mov")));
        QCOMPARE(w->VideoCopyNameEdit->text(), clip ? dir.filePath(QStringLiteral("c.sorned.MP4")) : QString());
        for (const QString& field : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            SetField(w, field.section(QLatin1Char('='), 0, 0), field.section(QLatin1Char('='), 1).replace(QStringLiteral("%D"), dir.path()));
        DialogDriver driver;
        w->Window->findChild<QPushButton*>(button)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!driver.Seen.isEmpty(), 60000);
        QCOMPARE(driver.Seen.size(), 1);
        const QString expected = QString(box).replace(QStringLiteral("%D"), dir.path());
        if (expected.endsWith(QLatin1Char('*')))
            QVERIFY2(driver.Seen.first().startsWith(expected.chopped(1)), qPrintable(driver.Seen.first()));
        else
            QCOMPARE(driver.Seen.first(), expected);
        QVERIFY(w->Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"))->isEnabled());
        const QStringList now = Entries(dir.path());
        if (cli.isEmpty()) {
            QCOMPARE(now, before);
            return;
        }
        QCOMPARE(now.size(), before.size() + 1);
        const QString written = dir.filePath((QSet<QString>(now.begin(), now.end()) - QSet<QString>(before.begin(), before.end())).values().first());
        const QString cliDir = dir.filePath(QStringLiteral("cli"));
        const ProcessRun run = RunProgram(QStringList{QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"),
                                                      QStringLiteral("--output-dir=") + cliDir} + cli + QStringList{log});
        QCOMPARE(run.err, QByteArray());
        const QString cliFile = QDir(cliDir).filePath(QFileInfo(written).fileName());
        const QByteArray md5 = FrameMd5(written);
        QVERIFY(md5.count("\n") > 30);
        QCOMPARE(md5, FrameMd5(cliFile));
    }

    // An overlay of a long log without a clip (1920x1080): Cancel in its
    // progress dialog stops it, and nothing is left in the folder.
    void cancelLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("long.SRT"));
        QVERIFY(Generate(log, {QStringLiteral("--blocks"), QStringLiteral("600")}));
        const QStringList before = Entries(dir.path());
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        logic.OpenInputFile(log);
        DialogDriver driver;
        w->WriteOverlayButton->click();
        QDialog* progress = w->Window->findChild<QDialog*>(QStringLiteral("VideoProgress"));
        QTRY_VERIFY_WITH_TIMEOUT(progress->isVisible(), 10000);
        QVERIFY(driver.Seen.isEmpty());
        progress->findChild<QPushButton*>(QStringLiteral("VideoCancelButton"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!driver.Seen.isEmpty(), 60000);
        QCOMPARE(driver.Seen, QStringList{QStringLiteral("warning Fail: %1: cancelled, nothing written").arg(w->OverlayNameEdit->text())});
        QCOMPARE(Entries(dir.path()), before);
    }

    // The view's overlay is the painter's frame of the moment at the size the
    // map holds, centred on it; unchecked, the map shows no such pixels.
    void previewShowsTheOverlayFrame()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("p.SRT"));
        QVERIFY(Generate(log, {QStringLiteral("--blocks"), QStringLiteral("20")}));
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->show();
        logic.OpenInputFile(log);
        FlightView* view = w->FlightPane;
        QTRY_VERIFY_WITH_TIMEOUT(view->isVisible() && view->Playback->Index() >= 0, 10000);
        w->OverlayCornerCombo->setCurrentIndex(w->OverlayCornerCombo->findData(QStringLiteral("top-right")));
        view->Playback->SetIndex(12);
        view->OverlayCheck->setChecked(true);
        ConversionRequest request = w->Request();
        OverlayLook look;
        look.Corner = OverlayCorner::TopRight;
        look.Size = QSize(1920, 1080).scaled(view->Map->size(), Qt::KeepAspectRatio);
        const QImage frame = OverlayPainter(Convert(request).Flight, request.OutPattern, look).Frame(12).convertToFormat(QImage::Format_ARGB32);
        const QPoint at((view->Map->width() - frame.width()) / 2, (view->Map->height() - frame.height()) / 2);
        const auto shown = [&] {
            QImage map(view->Map->size(), QImage::Format_ARGB32);
            view->Map->render(&map, QPoint(), QRegion(), QWidget::DrawWindowBackground);  // without its buttons
            int same = 0, opaque = 0;
            for (int y = 0; y < frame.height(); ++y) {
                for (int x = 0; x < frame.width(); ++x) {
                    const QRgb pixel = frame.pixel(x, y);
                    if (qAlpha(pixel) == 255) {
                        ++opaque;
                        same += map.pixel(at + QPoint(x, y)) == pixel ? 1 : 0;
                    }
                }
            }
            return qMakePair(same, opaque);
        };
        const QPair<int, int> on = shown();
        QVERIFY2(on.second > 500, qPrintable(QString::number(on.second)));
        QCOMPARE(on.first, on.second);
        view->OverlayCheck->setChecked(false);
        QVERIFY(shown().first < on.second / 2);
    }
};

QTEST_MAIN(TestWindowVideo)
#include "test_window_video.moc"
