// What trips a pilot up: pattern group height, file drops, leaving the input, Tab, minimum size.
#include "app/SornLogic.h"
#include "ui/FlightView.h"
#include "ui/MainWindowWidgets.h"

#include <QMimeData>
#include <QtTest>

#include <memory>

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

    void hidingPatternsGivesTheHeightBack()
    {
        for (bool view : {false, true}) {
            if (view)
                m_logic->ShowFlight(Flight{{}, Track(2)});
            const int before = w->Window->height();
            w->AdjustInPatternsCheck->click();
            QTest::qWait(50);
            QVERIFY(w->InPatternGroup->isVisible() && w->Window->height() > before);
            QCOMPARE(w->Window->height(), w->Window->minimumSizeHint().height());
            w->AdjustInPatternsCheck->click();
            QTest::qWait(50);  // nothing put off to the event loop changes it
            QCOMPARE(w->Window->height(), before);
        }
    }

    void minimumSizeFitsA1366x768Screen()
    {
        for (bool view : {false, true}) {
            for (bool patterns : {false, true}) {
                if (w->AdjustInPatternsCheck->isChecked() != patterns)
                    w->AdjustInPatternsCheck->click();
                if (view)
                    m_logic->ShowFlight(Flight{{}, Track(2)});
                QTest::qWait(20);  // the layout as the user would see it
                const QSize least = w->Window->minimumSizeHint();
                QVERIFY2(least.height() <= 700 && least.width() <= 1366,  // 768 px less title bar and panel
                         qPrintable(QStringLiteral("view %1, patterns %2: %3 x %4")
                                        .arg(view).arg(patterns).arg(least.width()).arg(least.height())));
            }
        }
    }

    void onlyTheInputFieldTakesFiles()
    {
        QMimeData files;  // as a file manager offers a dragged file
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/home/pilot/DJI_0001.SRT"))});
        QList<QWidget*> targets = {w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->OutPatternEdit->viewport(),
                                   w->WayBeforeEdit, w->SmoothGpsEdit, w->InFileNameEdit};
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

    void tabReachesEveryControlInOrder()
    {
        w->AdjustInPatternsCheck->click();
        m_logic->ShowFlight(Flight{{}, Track(2)});
        QList<QWidget*> expected = {w->InFileNameEdit, w->OpenSrtButton, w->AdjustInPatternsCheck, w->LogFormatCombo};
        for (QLineEdit* edit : qAsConst(w->InPatternEdits))
            expected << edit;
        expected << w->WayBeforeEdit << w->SmoothGpsEdit << w->UseHeightCheck << w->OutPatternEdit
                 << w->OutSrtFileNameEdit << w->WriteSrtButton << w->OutGpxFileNameEdit << w->WriteGpxButton
                 << w->AboutButton << w->FlightPane->SavePictureButton << w->FlightPane->HideButton << w->InFileNameEdit;
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
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"
