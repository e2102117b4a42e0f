// The reading step that both conversion buttons run first: the input name as
// typed and the pattern fields taken from the window afresh at every press.
// The other failures of reading are in test_bad_inputs_window.cpp.
#include "support/GpxConsumers.h"
#include "support/TestFiles.h"
#include "app/SornLogic.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// One block of a flight log, CR LF line ends and an empty line after it.
QByteArray LogBlock(int number, const char* lonLat)
{
    return QByteArray::number(number) + "\r\n00:00:0" + QByteArray::number(number - 1) + ",000 --> 00:00:0"
        + QByteArray::number(number) + ",000\r\nHOME(20.0000,10.0000) 2019.06.20 12:00:0"
        + QByteArray::number(number - 1) + "\r\nGPS(" + lonLat + ",17) BAROMETER:1.5\r\n\r\n";
}

// The summary of a one-record log at (lat 10, lon 20): a single record is not
// smoothed away from its position and its way is the way before, 0.
QString OneRecordSummary(const QString& srtTime)
{
    return QStringLiteral("information Read information: Parsed 1 records\r\n\r\nFirst: GPS: 10, 20 SrtTime: ") + srtTime
        + QStringLiteral("\r\nWay: 0\r\n");
}

}  // namespace

class TestReadInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyInputName_data() { buttonRows(); }
    void emptyInputName();
    void missingFile_data();
    void missingFile();
    void relativeNameUsesCurrentFolder();
    void editedPatternsTakeEffectAtNextPress();
    void editedGpsPatternReachesTheRoute();
    void fileReadAfreshAtEveryPress();

private:
    void buttonRows();
    QPushButton* button(const QString& name) const
    {
        return name == QLatin1String("srt") ? w->WriteSrtButton : w->WriteGpxButton;
    }
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SornLogic> m_logic;
    std::unique_ptr<DialogDriver> m_driver;
    MainWindowWidgets* w = nullptr;
};

void TestReadInput::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    m_driver = std::make_unique<DialogDriver>();
    w->OutSrtFileNameEdit->setText(path(QStringLiteral("out.srt")));
    w->OutGpxFileNameEdit->setText(path(QStringLiteral("out.gpx")));
}

void TestReadInput::cleanup()
{
    m_driver.reset();
    m_logic.reset();
    m_dir.reset();
}

void TestReadInput::buttonRows()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Calc && Write .SRT file") << QStringLiteral("srt");
    QTest::newRow("Write .GPX file") << QStringLiteral("gpx");
}

void TestReadInput::emptyInputName()
{
    // The settings are not taken from the window when no name is given.
    QFETCH(QString, button);
    const QStringList patternsBefore = {m_logic->Patterns->Texts.begin(), m_logic->Patterns->Texts.end()};
    const QString outPatternBefore = m_logic->OutPattern;
    w->InPatternEdits[2]->setText(QStringLiteral("edited Home"));
    w->OutPatternEdit->setPlainText(QStringLiteral("edited {ID}"));
    QTest::mouseClick(this->button(button), Qt::LeftButton);
    QCOMPARE(Seen(*m_driver), QStringList({QStringLiteral("warning Au...: Please, specify input file name")}));
    const QStringList patternsAfter = {m_logic->Patterns->Texts.begin(), m_logic->Patterns->Texts.end()};
    QCOMPARE(patternsAfter, patternsBefore);
    QCOMPARE(m_logic->OutPattern, outPatternBefore);
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    QVERIFY(entries().isEmpty());
}

void TestReadInput::missingFile_data()
{
    // Names relative to the test folder; a leading "/" marks a name used as
    // it stands. The name is looked up exactly as typed, never trimmed.
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    for (const QString& b : {QStringLiteral("srt"), QStringLiteral("gpx")}) {
        QTest::addRow("%s: blanks only", qPrintable(b)) << b << QStringLiteral("   ");
        QTest::addRow("%s: trailing blank", qPrintable(b)) << b << QStringLiteral("log.SRT ");
        QTest::addRow("%s: no such file", qPrintable(b)) << b << QStringLiteral("nothing.SRT");
    }
}

void TestReadInput::missingFile()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    WriteFile(path(QStringLiteral("log.SRT")), LogBlock(1, "20.0000,10.0000"));
    w->InFileNameEdit->setText(name.trimmed().isEmpty() ? name : path(name));
    QTest::mouseClick(this->button(button), Qt::LeftButton);
    QCOMPARE(Seen(*m_driver), QStringList({QStringLiteral("warning Info: File not exists.")}));
    QCOMPARE(entries(), QStringList({QStringLiteral("log.SRT")}));
}

void TestReadInput::relativeNameUsesCurrentFolder()
{
    const QString before = QDir::currentPath();
    WriteFile(path(QStringLiteral("log.SRT")), LogBlock(1, "20.0000,10.0000"));
    QVERIFY(QDir::setCurrent(m_dir->path()));
    w->InFileNameEdit->setText(QStringLiteral("log.SRT"));
    w->OutSrtFileNameEdit->setText(QStringLiteral("out.srt"));
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QDir::setCurrent(before);
    QCOMPARE(Seen(*m_driver), QStringList({OneRecordSummary(QStringLiteral("00:00:00,000 --> 00:00:01,000")),
                                           QStringLiteral("information OK: out.srt has been writed!")}));
    QVERIFY(QFile::exists(path(QStringLiteral("out.srt"))));
}

void TestReadInput::editedPatternsTakeEffectAtNextPress()
{
    const QString log = path(QStringLiteral("log.SRT"));
    WriteFile(log, LogBlock(1, "20.0000,10.0000"));
    w->InFileNameEdit->setText(log);
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QCOMPARE(Seen(*m_driver).value(0), OneRecordSummary(QStringLiteral("00:00:00,000 --> 00:00:01,000")));

    // A SrtTime pattern that captures only the arrow, and an output pattern
    // of two placeholders: both are read from the window at the next press.
    m_driver->clear();
    w->InPatternEdits[1]->setText(QStringLiteral("(-->)"));
    w->OutPatternEdit->setPlainText(QStringLiteral("{ID}|{SrtTime}\n"));
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QCOMPARE(Seen(*m_driver).value(0), OneRecordSummary(QStringLiteral("-->")));
    QCOMPARE(ReadFile(path(QStringLiteral("out.srt"))), QByteArray("1|-->\n"));
    QCOMPARE(m_logic->Patterns->Texts[1], QStringLiteral("(-->)"));
    QCOMPARE(m_logic->OutPattern, QStringLiteral("{ID}|{SrtTime}\n"));
}

void TestReadInput::editedGpsPatternReachesTheRoute()
{
    // A GPS pattern that takes the satellite count as the latitude: the route
    // shows what the edited pattern picked out (lat 17, lon 20).
    const QString log = path(QStringLiteral("log.SRT"));
    WriteFile(log, LogBlock(1, "20.0000,10.0000"));
    w->InFileNameEdit->setText(log);
    w->InPatternEdits[3]->setText(QStringLiteral("GPS[(]([0-9.]+),[0-9.]+,([0-9]+)[)]"));
    QTest::mouseClick(w->WriteGpxButton, Qt::LeftButton);
    QCOMPARE(Seen(*m_driver).size(), 1);
    QVERIFY(ReadFile(path(QStringLiteral("out.gpx"))).contains("<rtept lat=\"17.00000\" lon=\"20.00000\">"));
    VERIFY_GPX_FILE_CONSUMERS(path(QStringLiteral("out.gpx")));
}

void TestReadInput::fileReadAfreshAtEveryPress()
{
    const QString log = path(QStringLiteral("log.SRT"));
    WriteFile(log, LogBlock(1, "20.0000,10.0000"));
    w->InFileNameEdit->setText(log);
    w->OutSrtFileNameEdit->clear();  // the summary is all that is needed
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QVERIFY(Seen(*m_driver).value(0).startsWith(QStringLiteral("information Read information: Parsed 1 records")));
    m_driver->clear();
    WriteFile(log, LogBlock(1, "20.0000,10.0000") + LogBlock(2, "20.0000,10.0000"));
    QTest::mouseClick(w->WriteSrtButton, Qt::LeftButton);
    QVERIFY(Seen(*m_driver).value(0).startsWith(QStringLiteral("information Read information: Parsed 2 records")));
}

QTEST_MAIN(TestReadInput)
#include "test_read_input.moc"
