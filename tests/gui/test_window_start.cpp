// The window as it starts (data/window/start.tsv: what each field shows) and
// the one thing its layout does by itself: "Adjust input patterns" shows
// and hides the pattern group.
#include "window/SornLogic.h"
#include "support/Support.h"
#include "window/MainWindowWidgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QSplitter>

class TestWindowStart : public QObject {
    Q_OBJECT

private slots:
    void field_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("value");
        for (const QByteArray& line : ReadFile(QStringLiteral(TEST_DATA_DIR "/window/start.tsv")).split('\n')) {
            const QStringList row = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (row.size() == 3)
                QTest::newRow(qPrintable(row[0] + QLatin1Char(' ') + row[1])) << row[0] << row[1] << QString(row[2]).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        }
    }

    void field()
    {
        QFETCH(QString, name);
        QFETCH(QString, property);
        QFETCH(QString, value);
        SornLogic logic;
        logic.Widgets->Window->show();
        QWidget* widget = name == QLatin1String("Window") ? logic.Widgets->Window : logic.Widgets->Window->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        if (property == QLatin1String("panes")) {  // the panes top to bottom
            QStringList panes;
            auto* splitter = widget->findChild<QSplitter*>();
            for (int i = 0; i < splitter->count(); ++i) {
                QWidget* pane = splitter->widget(i);
                auto* label = qobject_cast<QLabel*>(pane);
                auto* group = qobject_cast<QGroupBox*>(pane);
                panes << (!pane->objectName().isEmpty() ? pane->objectName() : label ? label->text() : group ? group->title() : QString());
            }
            QCOMPARE(panes.join(QLatin1Char('|')), value);
        } else {
            QCOMPARE(widget->property(property.toLatin1().constData()).toString(), value);
        }
    }

    void adjustShowsAndHidesThePatterns()
    {
        SornLogic logic;
        logic.Widgets->Window->show();
        for (const bool shown : {true, false, true}) {
            QTest::mouseClick(logic.Widgets->AdjustInPatternsCheck, Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(logic.Widgets->InPatternGroup->isVisible(), shown);
            QCOMPARE(logic.Widgets->AdjustInPatternsCheck->isChecked(), shown);
        }
    }
};

QTEST_MAIN(TestWindowStart)
#include "test_window_start.moc"
