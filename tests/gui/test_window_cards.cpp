// A card of clips in the window: a folder dropped on the input field lists
// its flights as velloa-cli --flights does, shows the chosen one whole, and
// the write buttons write what velloa-cli writes for the folder, with one
// summary box; Cancel leaves no partial file; the window fits 1024 x 768.
#include "window/SornLogic.h"
#include "support/DialogDriver.h"
#include "support/Support.h"
#include "support/WindowStates.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/Playback.h"

#include <QMimeData>
#include <QDialog>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestWindowCards : public QObject {
    Q_OBJECT

private slots:
    void folderDroppedBecomesFlights()
    {
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));  // as a plain X desktop's
        QTemporaryDir dir;
        const QString card = dir.filePath(QStringLiteral("card")), cli = dir.filePath(QStringLiteral("cli"));
        // Three 10 s clips at 30 blocks a second (300 each), two an hour later, a log of no use.
        const QStringList generate{QStringLiteral("python3"), QStringLiteral(GENERATOR_PATH), QStringLiteral("--family=D"),
                                   QStringLiteral("--path=line"), QStringLiteral("--split=10"), card + QStringLiteral("/DJI_")};
        QVERIFY(QDir().mkpath(card) && WriteFile(card + QStringLiteral("/DJI_0009.SRT"), ""));
        QCOMPARE(RunProgram(generate + QStringList{QStringLiteral("--duration=30")}).exitCode, 0);
        QCOMPARE(RunProgram(generate + QStringList{QStringLiteral("--duration=20"), QStringLiteral("--first-counter=4"),
                                                   QStringLiteral("--start-time=2019-06-20 13:40:00")}).exitCode, 0);
        QCOMPARE(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--quiet"), QStringLiteral("--all"),
                             QStringLiteral("--output-dir=") + cli, card}).exitCode, 1);  // the log of no use

        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w->Window));
        DialogDriver driver;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(card)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->InFileNameEdit, &enter);
        QApplication::sendEvent(w->InFileNameEdit, &drop);
        QTRY_COMPARE(w->FlightList->topLevelItemCount(), 3);
        QCOMPARE(w->OutSrtFileNameEdit->placeholderText(), QStringLiteral("beside each clip"));

        // The rows as velloa-cli lists the flights; the log of no use a row of its own.
        const QStringList lines = QString::fromUtf8(RunProgram({QStringLiteral(VELLOA_CLI_PATH), QStringLiteral("--flights"), card}).out)
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        for (int i = 0; i < 3; ++i) {
            const QTreeWidgetItem* row = w->FlightList->topLevelItem(i);
            // The log of no use cannot be checked: it is never written.
            QCOMPARE(row->data(0, Qt::CheckStateRole).isValid() && row->flags().testFlag(Qt::ItemIsUserCheckable), i < 2);
            // Both flights start on 2019.06.20: the list gives the time only.
            const QString line = QStringLiteral("Flight %1: %2 clips, start 2019.06.20 %3, duration %4, path %5 m: ")
                                     .arg(row->text(0), row->text(3), row->text(1), row->text(2), row->text(4));
            QVERIFY2(i == 2 ? row->text(5) == QStringLiteral("DJI_0009.SRT: No GPS positions found.")
                            : lines[i].startsWith(line), qPrintable(line + row->text(5)));
        }
        QCOMPARE(w->FlightList->topLevelItem(0)->text(2), QStringLiteral("0:00:30"));

        // Tab starts as with one log; the list comes next.
        w->InFileNameEdit->setFocus();
        QList<QWidget*> reached;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        QCOMPARE(reached, (QList<QWidget*>{w->OpenSrtButton, w->AdjustInPatternsCheck, w->FlightList}));

        // The flight chosen is shown whole: every block of its clips.
        QCOMPARE(w->FlightPane->FileName(), card + QStringLiteral("/DJI_0001.SRT"));
        QCOMPARE(w->FlightPane->Playback->Slider->maximum(), 30000);  // the flight time, ms
        w->FlightList->setCurrentItem(w->FlightList->topLevelItem(1));
        QCOMPARE(w->FlightPane->Playback->Slider->maximum(), 20000);

        // Every state fits a 1024 x 768 screen with the list shown, the
        // controls narrow beside the view.
        ForEachWindowState(
            w, [&](bool view) { w->SetFlightViewShown(view); },
            [&](bool view, const QString& where) {
                const QRect list(w->FlightList->mapTo(w->Window, QPoint()), w->FlightList->size());
                QVERIFY2(w->ControlsNarrow == view && w->FlightList->isVisible()
                             && w->FlightList->height() >= w->FlightList->minimumHeight() && w->Window->rect().contains(list),
                         qPrintable(where));
            });

        // The first flight only, into a folder: its clips' KML and the whole
        // flight's, as velloa-cli wrote them; one box says so.
        for (int i : {1, 2})
            w->FlightList->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        const MainWindowWidgets::OutputRow& kml = w->OtherOutputs[1];
        kml.NameEdit->setText(dir.filePath(QStringLiteral("win")));
        kml.WriteButton->click();
        QTRY_COMPARE(driver.Seen.size(), 1);
        const QStringList written = Entries(dir.filePath(QStringLiteral("win")));
        QCOMPARE(written.join(QLatin1Char(' ')), QStringLiteral("DJI_0001.flight.kml DJI_0001.kml DJI_0002.kml DJI_0003.kml"));
        for (const QString& name : written)
            QVERIFY2(ReadFile(dir.filePath(QStringLiteral("win/")) + name) == ReadFile(cli + QLatin1Char('/') + name), qPrintable(name));
        QCOMPARE(driver.Seen.first(), QStringLiteral("information OK: 1 flight, 3 clips converted.\n\nWritten into %1: 4 files\n"
                                                     "DJI_0001.kml\nDJI_0002.kml\nDJI_0003.kml\nDJI_0001.flight.kml").arg(dir.filePath(QStringLiteral("win"))));

        // All of them, beside each clip.
        w->FlightList->topLevelItem(1)->setCheckState(0, Qt::Checked);
        w->WriteGpxButton->click();
        QTRY_COMPARE(driver.Seen.size(), 2);
        QVERIFY2(driver.Seen.last().startsWith(QStringLiteral("information OK: 2 flights, 5 clips converted.\n\nWritten beside each clip: 5 files\n"))
                     && !driver.Seen.last().contains(QStringLiteral("Failed")), qPrintable(driver.Seen.last()));
        for (const QString& name : QDir(card).entryList({QStringLiteral("*.gpx")}))
            QVERIFY2(ReadFile(card + QLatin1Char('/') + name) == ReadFile(cli + QLatin1Char('/') + name), qPrintable(name));

        // Cancelled at once: whatever was written is whole, nothing else is left.
        w->WriteSrtButton->click();
        w->Window->findChild<QPushButton*>(QStringLiteral("CardCancelButton"))->click();
        QTRY_COMPARE(driver.Seen.size(), 3);
        QVERIFY2(driver.Seen.last().contains(QStringLiteral("\n\nCancelled: ")), qPrintable(driver.Seen.last()));
        for (const QString& name : Entries(card))
            QVERIFY2(name.endsWith(QLatin1String(".SRT")) || name.endsWith(QLatin1String(".gpx"))
                         || ReadFile(card + QLatin1Char('/') + name) == ReadFile(cli + QLatin1Char('/') + name), qPrintable(name));
        QVERIFY(w->Window->findChild<QWidget*>(QStringLiteral("ControlsScroll"))->isEnabled());

        // Two files opened at once: their flight.
        driver.FileAnswers << card + QStringLiteral("/DJI_0004.SRT\n") + card + QStringLiteral("/DJI_0005.SRT");
        w->OpenSrtButton->click();
        QTRY_COMPARE(w->FlightList->topLevelItemCount(), 1);
        QCOMPARE(w->FlightList->topLevelItem(0)->text(3) + w->FlightPane->FileName(), QStringLiteral("2") + card + QStringLiteral("/DJI_0004.SRT"));
        // Three dropped at once: theirs.
        mime.setUrls({QUrl::fromLocalFile(card + QStringLiteral("/DJI_0001.SRT")), QUrl::fromLocalFile(card + QStringLiteral("/DJI_0002.SRT")),
                      QUrl::fromLocalFile(card + QStringLiteral("/DJI_0003.SRT"))});
        QApplication::sendEvent(w->InFileNameEdit, &enter);
        QApplication::sendEvent(w->InFileNameEdit, &drop);
        QTRY_COMPARE(w->FlightList->topLevelItemCount() == 1 ? w->FlightList->topLevelItem(0)->text(3) : QString(), QStringLiteral("3"));
    }

    // A log still being read (a pipe nobody has written to) holds the
    // listing up: Cancel hides its progress for good, and the list stays empty.
    void cancelWhileListing()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("a.SRT")), pipe = dir.filePath(QStringLiteral("b.SRT"));
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/reference/diagonal_heights/flight.SRT"), log));
        QCOMPARE(mkfifo(qPrintable(pipe), 0600), 0);
        SornLogic logic;
        MainWindowWidgets* w = logic.Widgets;
        w->Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w->Window));
        logic.OpenInputFile(QStringLiteral("\"%1\" \"%2\"").arg(log, pipe));
        auto* progress = w->Window->findChild<QDialog*>(QStringLiteral("CardProgress"));
        QTRY_VERIFY(progress->isVisible());
        progress->findChild<QPushButton*>()->click();
        QTest::qWait(800);
        QVERIFY(!progress->isVisible());
        const int writer = open(qPrintable(pipe), O_WRONLY | O_NONBLOCK);  // the read ends, having read nothing
        QVERIFY(writer >= 0 && close(writer) == 0);
        QTest::qWait(300);
        QVERIFY(!progress->isVisible() && w->FlightList->topLevelItemCount() == 0);
    }
};

QTEST_MAIN(TestWindowCards)
#include "test_window_cards.moc"
