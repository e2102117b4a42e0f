// `velloa [FILE]`: FILE lands in the input field as a drop does; --version and bad usage open no window.
#include "window/SornLogic.h"
#include "window/WindowStart.h"
#include "window/MainWindowWidgets.h"

#include <QtTest>
#include <memory>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
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

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
