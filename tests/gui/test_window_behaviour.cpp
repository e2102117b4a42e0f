// What trips a pilot up: pattern group height, file drops, leaving the input, Tab, minimum size, About.
#include "window/SornLogic.h"
#include "output/Outputs.h"
#include "track/TrackPasses.h"
#include "support/DialogDriver.h"
#include "support/Support.h"
#include "support/WindowStates.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/MapView.h"
#include "window/Playback.h"
#include "window/PlaceholderPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A flight of two records and their points, nothing logged.
Flight TwoPointFlight()
{
    Flight flight;
    flight.Log.Records.resize(2);
    flight.Points.resize(2);
    return flight;
}

} // namespace

class TestWindowBehaviour : public QObject {
    Q_OBJECT

    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;
    QStringList m_opened;

public slots:
    void open(const QUrl& url) { m_opened << url.toString(); }  // instead of a browser

private slots:
    void init()
    {
        m_logic = std::make_unique<SornLogic>();
        w = m_logic->Widgets;
        w->Window->show();
        QVERIFY(QTest::qWaitForWindowActive(w->Window));
    }
    void cleanup() { m_logic.reset(); }

    // Without the view a group shown shrinks the window to its least height
    // and gives the height back when hidden; beside the view (a full screen)
    // the window keeps its size either way.
    void hidingPatternsGivesTheHeightBack()
    {
        for (bool view : {false, true}) {
            if (view) {
                m_logic->ShowFlight(TwoPointFlight());
                w->Window->resize(1016, 700);
                QTest::qWait(50);
            }
            for (QCheckBox* check : {w->AdjustInPatternsCheck, w->OtherOutputsCheck}) {
                const QSize before = w->Window->size();
                check->click();
                QTest::qWait(50);
                QVERIFY(check->isChecked() && (view ? w->Window->size() == before
                                                    : w->Window->height() == w->Window->minimumSizeHint().height()));
                check->click();
                QTest::qWait(50);  // nothing put off to the event loop changes it
                QCOMPARE(view ? w->Window->size() : QSize(before.width(), w->Window->height()), before);
            }
        }
    }

    void everyStateFitsA1024x768Screen()
    {
        // The type of a plain X desktop (Qt's default there), not the larger one of the offscreen platform.
        m_logic.reset();
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        init();
        ForEachWindowState(
            w,
            [&](bool view) {
                if (view)
                    m_logic->ShowFlight(TwoPointFlight());
                w->SetFlightViewShown(view);
            },
            [&](bool, const QString& where) {
                // Nothing cut off: the view's last button and the controls column (which scrolls).
                for (const char* name : {"HideFlightButton", "ControlsScroll"}) {
                    auto* widget = w->Window->findChild<QWidget*>(QLatin1String(name));
                    const QRect box(widget->mapTo(w->Window, QPoint()), widget->size());
                    QVERIFY2(!widget->isVisible() || w->Window->rect().contains(box), qPrintable(where));
                }
            });
    }

    // The Placeholders menu inserts its choice at the cursor of the pattern
    // and, once a flight is shown, gives each value at its middle record.
    void placeholderPickerInsertsAtTheCursor()
    {
        w->OutPatternEdit->setPlainText(QStringLiteral("A|B"));
        QTextCursor cursor = w->OutPatternEdit->textCursor();
        cursor.setPosition(2);
        w->OutPatternEdit->setTextCursor(cursor);
        const QList<QAction*> actions = PlaceholderActions(w->PlaceholderMenu);
        QCOMPARE(actions.size(), 30);
        actions[10]->trigger();
        QCOMPARE(w->OutPatternEdit->toPlainText(), QStringLiteral("A|{ISO}B"));
        m_logic->ShowFlight(DeriveFlight(ReadFlightLog(QStringLiteral(TEST_DATA_DIR "/reference/privacy-a/flight.SRT"),
                                                       InputPatterns::Defaults(), AutomaticFormatId()).Log, {}));
        QCOMPARE(actions[0]->text(), QStringLiteral("{ID}\tnumber of the block, from 1: 31"));

        // A log opened shows its values, camera settings included, as soon as
        // the view shows it; and still after its subtitle file is written
        // with a pattern that prints none.
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("f.SRT"));
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/reference/placeholders-a/flight.SRT"), log));
        m_logic->OpenInputFile(log);
        QTRY_COMPARE(w->FlightPane->FileName(), log);
        const QString iso = QStringLiteral("{ISO}\tcamera ISO: 100");
        QCOMPARE(actions[10]->text(), iso);
        QVERIFY(actions[0]->text() != QStringLiteral("{ID}\tnumber of the block, from 1: 31"));
        w->OutPatternEdit->setPlainText(QStringLiteral("{Lat}"));
        DialogDriver driver;
        w->WriteSrtButton->click();
        QCOMPARE(driver.Seen.size(), 2);
        QCOMPARE(actions[10]->text(), iso);
        // A log that cannot be read shows no values.
        m_logic->OpenInputFile(dir.filePath(QStringLiteral("none.SRT")));
        QTRY_COMPARE(w->FlightPane->FileName(), dir.filePath(QStringLiteral("none.SRT")));
        QCOMPARE(actions[10]->text(), QStringLiteral("{ISO}\tcamera ISO"));
    }

    // "Other outputs": a name each, derived from the input, one click each;
    // a log time zone the window does not know writes nothing.
    void otherOutputsAndTheLogTimeZone()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("f.SRT"));
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/reference/diagonal_heights/flight.SRT"), log));
        m_logic->OpenInputFile(log);
        w->OtherOutputsCheck->click();
        const auto others = std::count_if(OutputKinds().begin(), OutputKinds().end(), [](const OutputKind& k) { return !k.ByDefault; });
        QVERIFY(w->OtherOutputsGroup->isVisible() && w->OtherOutputs.size() == others);
        for (const QString& zone : {QString(), QStringLiteral("Mars/Olympus")}) {
            w->TimeZoneEdit->setText(zone);
            for (const MainWindowWidgets::OutputRow& row : qAsConst(w->OtherOutputs)) {
                const QString name = dir.filePath(QStringLiteral("f") + QLatin1String(row.Kind->Suffix));
                QCOMPARE(row.NameEdit->text(), name);
                DialogDriver driver;
                row.WriteButton->click();
                QCOMPARE(driver.Seen, QStringList{zone.isEmpty() ? QStringLiteral("information OK: %1 has been writed!").arg(name)
                                                                 : QStringLiteral("warning Info: Unknown time zone: Mars/Olympus.")});
                QCOMPARE(QFile::exists(name), zone.isEmpty());
                QFile::remove(name);
            }
        }
    }

    // The KML row's height choice on a log with both heights: "automatic" and "above
    // take-off" write the derived file of the reference folder; "above sea level" writes
    // the same path at the logged abs_alt, which lies rel_alt + 51.512 m here, absolute.
    void kmlHeightsChoice()
    {
        QTemporaryDir dir;
        const QString folder = QStringLiteral(TEST_DATA_DIR "/reference/layout-d-mini3/");
        const QString log = dir.filePath(QStringLiteral("f.SRT")), kml = dir.filePath(QStringLiteral("f.kml"));
        QVERIFY(QFile::copy(folder + QStringLiteral("flight.SRT"), log));
        m_logic->OpenInputFile(log);
        if (!w->OtherOutputsCheck->isChecked())
            w->OtherOutputsCheck->click();
        w->TimeZoneEdit->setText(QStringLiteral("-03:00"));
        const QByteArray expected = ReadFile(folder + QStringLiteral("expected.kml"));
        const auto row = std::find_if(w->OtherOutputs.begin(), w->OtherOutputs.end(), [&](const MainWindowWidgets::OutputRow& r) {
            return r.NameEdit->text() == kml;
        });
        QVERIFY(row != w->OtherOutputs.end() && w->KmlAltitudeCombo->isVisible());
        for (const KmlHeights heights : {KmlHeights::Automatic, KmlHeights::TakeOff, KmlHeights::SeaLevel}) {
            w->KmlAltitudeCombo->setCurrentIndex(w->KmlAltitudeCombo->findData(int(heights)));
            DialogDriver driver;
            row->WriteButton->click();
            QByteArray written = ReadFile(kml);
            if (heights != KmlHeights::SeaLevel) {
                QCOMPARE(written, expected);
                continue;
            }
            QVERIFY(written.contains("<altitudeMode>absolute<") && !written.contains("relativeToGround"));
            written.replace("<altitudeMode>absolute<", "<altitudeMode>relativeToGround<");
            const QList<QByteArray> lines = written.split('\n'), above = expected.split('\n');
            QCOMPARE(lines.size(), above.size());
            const QRegularExpression point(QStringLiteral("(-?[0-9.]+[, ]-?[0-9.]+)[, ](-?[0-9.]+)"));  // path and track
            for (int i = 0; i < lines.size(); ++i) {
                const QRegularExpressionMatch a = point.match(QString::fromUtf8(lines[i])), b = point.match(QString::fromUtf8(above[i]));
                if (a.hasMatch() && b.hasMatch() && a.captured(1) == b.captured(1))
                    QVERIFY2(std::abs(a.captured(2).toDouble() - b.captured(2).toDouble() - 51.512) < 0.011, lines[i].constData());
                else
                    QCOMPARE(lines[i], above[i]);
            }
        }
    }

    void onlyTheInputFieldTakesFiles()
    {
        QMimeData files;  // as a file manager offers a dragged file
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/pilot/DJI_0001.SRT"))});
        QList<QWidget*> targets = {w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->OutPatternEdit->viewport(),
                                   w->WayBeforeEdit, w->SmoothGpsEdit, w->TimeZoneEdit, w->InFileNameEdit};
        for (const MainWindowWidgets::OutputRow& row : qAsConst(w->OtherOutputs))
            targets << row.NameEdit;
        for (QLineEdit* edit : qAsConst(w->InPatternEdits))
            targets << edit;
        for (QWidget* target : qAsConst(targets)) {
            const bool takes = target == w->InFileNameEdit;
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QVERIFY2(enter.isAccepted() == takes && drop.isAccepted() == takes, qPrintable(target->objectName()));
        }
        QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("/home/pilot/DJI_0001.sorned.srt"));
    }

    void leavingTheInputFieldDerivesTheNames()
    {
        w->InFileNameEdit->setFocus();
        w->InFileNameEdit->setText(QStringLiteral("/logs/DJI_0002.SRT"));  // not an edit by the user
        QTest::keyClick(w->InFileNameEdit, Qt::Key_Tab);
        QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("/logs/DJI_0002.gpx"));
        // Each leaving derives again, over a name typed meanwhile.
        w->OutGpxFileNameEdit->setText(QStringLiteral("typed.gpx"));
        w->InFileNameEdit->setFocus();
        w->WriteSrtButton->setFocus();
        QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("/logs/DJI_0002.gpx"));
    }

    // Captions like the two buttons above; Return and Enter press a focused button.
    void otherOutputCaptionsAndEnterOnButtons()
    {
        const QStringList captions = QString::fromLatin1("GPX track:|Write .GPX track file,KML:|Write .KML file,"
                                                         "CSV:|Write .CSV file,GeoJSON:|Write .GeoJSON file").split(QLatin1Char(','));
        QCOMPARE(w->OtherOutputs.size(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            auto* label = w->OtherOutputs[i].NameEdit->property("caption").value<QWidget*>();
            QCOMPARE(qobject_cast<QLabel*>(label)->text() + QLatin1Char('|') + w->OtherOutputs[i].WriteButton->text(), captions[i]);
        }
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            m_logic->ShowFlight(TwoPointFlight());
            QVERIFY(w->FlightPane->isVisible());
            w->FlightPane->HideButton->setFocus();
            QTest::keyClick(w->FlightPane->HideButton, key);
            QTRY_VERIFY(w->FlightPane->isHidden());
        }
    }

    // "Track": it starts "As designed"; "Estimated" writes what velloa-cli
    // --track=estimate writes, which on a Mavic Pro log is not the design's.
    void trackChoiceWritesTheEstimate()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("a.SRT")), shown = dir.filePath(QStringLiteral("window.srt"));
        const QString reference = QStringLiteral(TEST_DATA_DIR "/reference/diagonal_heights/");
        QVERIFY(QFile::copy(reference + QStringLiteral("flight.SRT"), log));
        QCOMPARE(w->TrackCombo->currentText(), QStringLiteral("As designed"));
        w->TrackCombo->setCurrentIndex(w->TrackCombo->findText(QStringLiteral("Estimated")));
        w->InFileNameEdit->setText(log);
        w->OutSrtFileNameEdit->setText(shown);
        DialogDriver driver;
        w->WriteSrtButton->click();
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--no-gpx"),
                             QStringLiteral("--track=estimate"), QStringLiteral("--output-dir=") + dir.filePath(QStringLiteral("cli")), log})
                     .exitCode, 0);
        QCOMPARE(ReadFile(shown), ReadFile(dir.filePath(QStringLiteral("cli/a.sorned.srt"))));
        QVERIFY(ReadFile(shown) != ReadFile(reference + QStringLiteral("expected.sorned.srt")));
    }

    void tabReachesEveryControlInOrder()
    {
        w->AdjustInPatternsCheck->click();
        m_logic->ShowFlight(TwoPointFlight());
        QList<QWidget*> expected = {w->InFileNameEdit, w->OpenSrtButton, w->AdjustInPatternsCheck, w->LogFormatCombo};
        for (QLineEdit* edit : qAsConst(w->InPatternEdits))
            expected << edit;
        expected << w->WayBeforeEdit << w->SmoothGpsEdit << w->TrackCombo << w->UseHeightCheck << w->TimeZoneEdit << w->PrivacyRadiusEdit
                 << w->PlaceholdersButton << w->OutPatternEdit
                 << w->OutSrtFileNameEdit << w->WriteSrtButton << w->OutGpxFileNameEdit << w->WriteGpxButton
                 << w->OtherOutputsCheck << w->AboutButton;
        const FlightView* v = w->FlightPane;
        expected << v->Map->ZoomInButton << v->Map->ZoomOutButton << v->Map->FitButton << v->Map->FollowButton << v->ColourCombo
                 << v->Playback->PlayButton << v->Playback->RateCombo << v->Playback->Slider << v->TileUrlEdit
                 << v->OverlayCheck << v->SavePictureButton << v->HideButton << w->InFileNameEdit;
        const QString pattern = w->OutPatternEdit->toPlainText();
        w->InFileNameEdit->setFocus();
        QList<QWidget*> reached = {QApplication::focusWidget()};
        while (reached.size() < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        QCOMPARE(reached, expected);
        QCOMPARE(w->OutPatternEdit->toPlainText(), pattern);  // Tab typed nothing into it
    }

    // "About Velloa": every press opens a new top-level window with the main
    // title and a button that hands the maker's address to the browser;
    // closing it only hides it.
    void aboutWindows()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        for (int press = 1; press <= 2; ++press) {
            QTest::mouseClick(w->AboutButton, Qt::LeftButton);
            QList<QWidget*> windows;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String("AboutWindow") && top->isVisible())
                    windows << top;
            QCOMPARE(windows.size(), press);
            QWidget* about = windows.last();
            QVERIFY(!about->parent());
            QCOMPARE(about->windowTitle(), QStringLiteral("Velloa (velloa.example, 2019.06.26)"));
            auto* link = about->findChild<QPushButton*>();
            QCOMPARE(link->text(), QStringLiteral("Go to https://velloa.example/"));
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(m_opened.size(), press);
            QCOMPARE(m_opened.last(), QStringLiteral("https://velloa.example/"));
        }
        QList<QPointer<QWidget>> abouts;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("AboutWindow") && top->close())
                abouts << top;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(abouts.size(), 2);
        for (const QPointer<QWidget>& about : abouts) {
            QVERIFY(about && about->isHidden());  // hidden, not deleted
            delete about;  // the program never does; the leak checker would
        }
    }
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"
