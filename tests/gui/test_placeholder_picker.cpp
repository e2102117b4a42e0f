// The Placeholders menu: low and narrow enough for a 1024 x 768 screen with
// every value of a per-frame log with camera fields shown, and a placeholder
// chosen after the pattern's closing empty line put before that line.
#include "conversion/Conversion.h"
#include "input/LogReader.h"
#include "output/Placeholders.h"
#include "track/TrackPasses.h"
#include "window/PlaceholderPicker.h"

#include <QMenu>
#include <QTextEdit>
#include <QtTest>

class TestPlaceholderPicker : public QObject {
    Q_OBJECT

private slots:
    void fitsALowScreenWithItsValues()
    {
        QTextEdit edit;
        QMenu* menu = MakePlaceholderMenu(&edit);
        const Flight flight = DeriveFlight(ReadFlightLog(QStringLiteral(TEST_DATA_DIR "/reference/placeholders-d-mavic2/flight.SRT"),
                                                         InputPatterns::Defaults(), AutomaticFormatId()).Log, {});
        QStringList values;
        for (const PlaceholderInfo& placeholder : Placeholders())
            values << SubtitlePreview(flight, flight.Points.size() / 2, QLatin1String(placeholder.Name));
        SetPlaceholderValues(menu, values);
        const QList<QAction*> entries = PlaceholderActions(menu);
        QCOMPARE(entries.size(), int(Placeholders().size()));
        QVERIFY(entries.last()->text().startsWith(QLatin1String("{Lon}\t")) && entries.last()->text().endsWith(values.last()));
        QVERIFY(values.last().size() > 5 && values[10].size() > 2);  // {Lon} and {ISO} print something here

        // The menu and the widest of its groups side by side, each at most half the screen's height.
        int widest = 0;
        const QList<QAction*> groups = menu->actions();
        for (QAction* group : groups) {
            QVERIFY(group->menu());
            QVERIFY2(group->menu()->sizeHint().height() <= 384, qPrintable(group->text()));
            widest = std::max(widest, group->menu()->sizeHint().width());
        }
        QVERIFY(menu->sizeHint().height() <= 384);
        QVERIFY2(menu->sizeHint().width() + widest <= 1024, qPrintable(QString::number(widest)));
    }

    // Where {Lat} lands: pattern, cursor, the pattern after.
    void insertingKeepsBlocksApart()
    {
        const QList<std::tuple<QString, int, QString>> cases = {
            {QStringLiteral("A\nB\n\n"), 5, QStringLiteral("A\nB\n{Lat}\n\n")},  // after the closing empty line
            {QStringLiteral("A\nB\n\n"), 4, QStringLiteral("A\nB\n{Lat}\n\n")},  // on it
            {QStringLiteral("A\nB\n\n\n"), 6, QStringLiteral("A\nB\n{Lat}\n\n\n")},
            {QStringLiteral("\n\n"), 2, QStringLiteral("{Lat}\n\n")},
            {QStringLiteral("A\nB\n\n"), 3, QStringLiteral("A\nB{Lat}\n\n")},  // at the end of the last line
            {QStringLiteral("A\nB\n"), 4, QStringLiteral("A\nB\n{Lat}")},  // no closing empty line: where asked
            {QStringLiteral("A|B"), 2, QStringLiteral("A|{Lat}B")},
        };
        QTextEdit edit;
        const QList<QAction*> entries = PlaceholderActions(MakePlaceholderMenu(&edit));
        for (const auto& [pattern, at, expected] : cases) {
            edit.setPlainText(pattern);
            QTextCursor cursor = edit.textCursor();
            cursor.setPosition(at);
            edit.setTextCursor(cursor);
            entries[int(Placeholder::Lat)]->trigger();
            QCOMPARE(edit.toPlainText(), expected);
            QCOMPARE(edit.textCursor().position(), expected.indexOf(QLatin1String("{Lat}")) + 5);
        }
    }
};

QTEST_MAIN(TestPlaceholderPicker)
#include "test_placeholder_picker.moc"
