// The main window's behaviour that trips a pilot up when it is wrong: the
// window's height around "Adjust input patterns", file drops, leaving the
// input field, the keyboard's Tab order and the window's minimum size.
#include "app/SornLogic.h"
#include "ui/FlightView.h"
#include "ui/MainWindowWidgets.h"

#include <QMimeData>
#include <QtTest>

#include <memory>

namespace {

// A 768 px screen less a title bar and a desktop panel.
constexpr int kUsableHeight = 768 - 68;

// Two records a step apart: enough for the flight view to open.
FlightRecordList TwoRecords()
{
    FlightRecord a;
    a.HomeLat = a.Lat = 10.0;
    a.HomeLon = a.Lon = 20.0;
    FlightRecord b = a;
    b.Lat = 10.001;
    return {a, b};
}

}  // namespace

class TestWindowBehaviour : public QObject {
    Q_OBJECT

    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;

private slots:
    void init()
    {
        m_logic = std::make_unique<SornLogic>();
        w = m_logic->Widgets;
        w->Window->show();
        QVERIFY(QTest::qWaitForWindowActive(w->Window));
    }
    void cleanup() { m_logic.reset(); }

    void hidingPatternsGivesTheHeightBack_data()
    {
        QTest::addColumn<bool>("viewShown");
        QTest::newRow("controls only") << false;
        QTest::newRow("with the flight view") << true;
    }
    void hidingPatternsGivesTheHeightBack()
    {
        QFETCH(bool, viewShown);
        if (viewShown)
            m_logic->ShowFlight(TwoRecords());
        const int before = w->Window->height();
        w->AdjustInPatternsCheck->click();
        QTest::qWait(50);
        QVERIFY(w->InPatternGroup->isVisible());
        QVERIFY(w->Window->height() > before);
        QCOMPARE(w->Window->height(), w->Window->minimumSizeHint().height());
        w->AdjustInPatternsCheck->click();
        QVERIFY(w->InPatternGroup->isHidden());
        QCOMPARE(w->Window->height(), before);
        QTest::qWait(50);  // nothing put off to the event loop changes it
        QCOMPARE(w->Window->height(), before);
    }

    void minimumSizeFitsA1366x768Screen()
    {
        for (bool view : {false, true}) {
            for (bool patterns : {false, true}) {
                w->InPatternGroup->setHidden(!patterns);
                w->SetFlightViewShown(view);
                if (view)
                    m_logic->ShowFlight(TwoRecords());
                const QSize least = w->Window->minimumSizeHint();
                const QString state = QStringLiteral("view %1, patterns %2: %3 x %4")
                                          .arg(view).arg(patterns).arg(least.width()).arg(least.height());
                QVERIFY2(least.height() <= kUsableHeight && least.width() <= 1366, qPrintable(state));
            }
        }
    }

    void onlyTheInputFieldTakesFiles()
    {
        // A file dragged from a file manager onto each field.
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/pilot/DJI_0001.SRT"))});
        QList<QWidget*> refusing = {w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->OutPatternEdit->viewport(),
                                    w->WayBeforeEdit, w->SmoothGpsEdit};
        for (QLineEdit* edit : qAsConst(w->InPatternEdits))
            refusing << edit;
        w->InPatternGroup->show();
        for (QWidget* target : refusing + QList<QWidget*>{w->InFileNameEdit}) {
            const bool takes = target == w->InFileNameEdit;
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QVERIFY2(enter.isAccepted() == takes && drop.isAccepted() == takes, qPrintable(target->objectName()));
        }
        QCOMPARE(w->InFileNameEdit->text(), QStringLiteral("/home/pilot/DJI_0001.SRT"));
        QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("/home/pilot/DJI_0001.sorned.srt"));
        QVERIFY(!w->OutPatternEdit->toPlainText().contains(QStringLiteral("file:")));
        QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    }

    void leavingTheInputFieldDerivesTheNames()
    {
        w->InFileNameEdit->setFocus();
        w->InFileNameEdit->setText(QStringLiteral("/logs/DJI_0002.SRT"));  // no edit by the user
        QVERIFY(w->OutGpxFileNameEdit->text().isEmpty());
        QTest::keyClick(w->InFileNameEdit, Qt::Key_Tab);
        QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("/logs/DJI_0002.sorned.srt"));
        QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("/logs/DJI_0002.gpx"));
        // Each leaving derives again, over names typed meanwhile.
        w->OutGpxFileNameEdit->setText(QStringLiteral("typed.gpx"));
        w->InFileNameEdit->setFocus();
        w->WriteSrtButton->setFocus();
        QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("/logs/DJI_0002.gpx"));
    }

    void tabReachesEveryControlInOrder()
    {
        w->AdjustInPatternsCheck->click();
        m_logic->ShowFlight(TwoRecords());
        QList<QWidget*> expected = {w->InFileNameEdit, w->OpenSrtButton, w->AdjustInPatternsCheck};
        for (QLineEdit* edit : qAsConst(w->InPatternEdits))
            expected << edit;
        expected << w->WayBeforeEdit << w->SmoothGpsEdit << w->UseHeightCheck << w->OutPatternEdit
                 << w->OutSrtFileNameEdit << w->WriteSrtButton << w->OutGpxFileNameEdit << w->WriteGpxButton
                 << w->AboutButton << w->FlightPane->SavePictureButton << w->FlightPane->HideButton;
        const QString pattern = w->OutPatternEdit->toPlainText();
        w->InFileNameEdit->setFocus();
        QList<QWidget*> reached = {QApplication::focusWidget()};
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        QCOMPARE(reached, expected + QList<QWidget*>{w->InFileNameEdit});  // and round again
        QCOMPARE(w->OutPatternEdit->toPlainText(), pattern);  // Tab typed nothing into it
    }
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"
