// The window's two conversion buttons on input they were not made for: the
// boxes the user sees (in order, with icon, title and text), and that the
// log and the output files that stood there before are left as they were
// whenever nothing is converted. One test per bad input, each run for both
// buttons where both can meet it.
#include "support/TestFiles.h"
#include "app/SornLogic.h"
#include "support/DialogDriver.h"
#include "support/GpxConsumers.h"
#include "ui/MainWindowWidgets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <memory>

namespace {

const QByteArray kOldSrt("earlier subtitles\n");
const QByteArray kOldGpx("an earlier route\n");

// One block at latitude 10, longitude 20, height 1.5.
const QByteArray kOneBlock = "1\r\n00:00:00,000 --> 00:00:01,000\r\nHOME(20.0000,10.0000) 2019.06.20 12:00:00\r\n"
                             "GPS(20.0000,10.0000,17) BAROMETER:1.5\r\n";

// The summary box of kOneBlock: one record stays where it was read, its way
// is the way before, 0.
const QString kOneBlockSummary = QStringLiteral(
    "information Read information: Parsed 1 records\r\n\r\nFirst: GPS: 10, 20 SrtTime: 00:00:00,000 --> "
    "00:00:01,000\r\nWay: 0\r\n");

// The summary of one record in which no pattern matched.
const QString kNothingFoundSummary = QStringLiteral(
    "information Read information: Parsed 1 records\r\n\r\nFirst: GPS: 0, 0 SrtTime: not found\r\nWay: 0\r\n");

// Makes the permission bits count for this thread while it lives. Root
// passes them through CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH, so for root
// both are lowered from the thread's effective set (they stay permitted and
// are raised again at the end); the window reads and writes on this, the
// main, thread. Ok() tells whether the bits now count, checked by trying to
// read `probe`, a file without permission bits.
class PermissionBitsCount {
public:
    explicit PermissionBitsCount(const QString& probe)
    {
        if (geteuid() == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            if (syscall(SYS_capget, &header, m_saved) != 0)
                return;
            __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
            lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            if (syscall(SYS_capset, &header, lowered) != 0)
                return;
            m_lowered = true;
        }
        QFile file(probe);
        m_ok = !file.open(QIODevice::ReadOnly);
    }
    ~PermissionBitsCount()
    {
        if (m_lowered) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            syscall(SYS_capset, &header, m_saved);
        }
    }
    bool Ok() const { return m_ok; }

private:
    __user_cap_data_struct m_saved[2] = {};
    bool m_lowered = false;
    bool m_ok = false;
};

// A file size limit while it lives: a write past `bytes` fails with EFBIG
// (SIGXFSZ ignored), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

}  // namespace

class TestBadInputsWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noInputName_data() { buttonRows(); }
    void noInputName();
    void missingFile_data() { buttonRows(); }
    void missingFile();
    void directory_data() { buttonRows(); }
    void directory();
    void unreadableFile_data() { buttonRows(); }
    void unreadableFile();
    void emptyFile_data() { buttonRows(); }
    void emptyFile();
    void noBlocks_data();
    void noBlocks();
    void binaryGarbage_data();
    void binaryGarbage();
    void utf16Log_data();
    void utf16Log();
    void invalidInputPattern_data() { buttonRows(); }
    void invalidInputPattern();
    void millionBlocks_data() { buttonRows(); }
    void millionBlocks();
    void outputFolderMissing_data() { buttonRows(); }
    void outputFolderMissing();
    void readOnlyOutputFolder_data() { buttonRows(); }
    void readOnlyOutputFolder();
    void outputNamingInput_data();
    void outputNamingInput();
    void writeFailingHalfWay_data();
    void writeFailingHalfWay();

private:
    void buttonRows();
    bool srt() const
    {
        QFETCH(QString, button);
        return button == QLatin1String("srt");
    }
    void press() { QTest::mouseClick(srt() ? w->WriteSrtButton : w->WriteGpxButton, Qt::LeftButton); }
    QString output() const { return srt() ? m_srt : m_gpx; }
    QStringList seen() const { return Seen(*m_driver); }
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    QString okBox() const { return QStringLiteral("information OK: ") + output() + QStringLiteral(" has been writed!"); }
    // The output files that stood there before the press are unchanged.
    void verifyOldOutputs() const;
    // A conversion ran: the pressed button's output was written (a route
    // that GPX readers accept), the other output was left alone.
    void verifyConverted(int routePoints) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SornLogic> m_logic;
    std::unique_ptr<DialogDriver> m_driver;
    MainWindowWidgets* w = nullptr;
    QString m_log;
    QString m_srt;
    QString m_gpx;
};

void TestBadInputsWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    m_driver = std::make_unique<DialogDriver>();
    m_log = path(QStringLiteral("log.SRT"));
    m_srt = path(QStringLiteral("out.srt"));
    m_gpx = path(QStringLiteral("out.gpx"));
    WriteFile(m_srt, kOldSrt);
    WriteFile(m_gpx, kOldGpx);
    w->InFileNameEdit->setText(m_log);
    w->OutSrtFileNameEdit->setText(m_srt);
    w->OutGpxFileNameEdit->setText(m_gpx);
}

void TestBadInputsWindow::cleanup()
{
    QVERIFY2(m_driver->unexpected().isEmpty(), qPrintable(m_driver->unexpected().join(QLatin1Char(','))));
    m_driver.reset();
    m_logic.reset();
    m_dir.reset();
}

void TestBadInputsWindow::buttonRows()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Calc && Write .SRT file") << QStringLiteral("srt");
    QTest::newRow("Write .GPX file") << QStringLiteral("gpx");
}

void TestBadInputsWindow::verifyOldOutputs() const
{
    QCOMPARE(ReadFile(m_srt), kOldSrt);
    QCOMPARE(ReadFile(m_gpx), kOldGpx);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("out.")).size(), 2);
}

void TestBadInputsWindow::verifyConverted(int routePoints) const
{
    if (srt()) {
        QVERIFY(ReadFile(m_srt) != kOldSrt);
        QCOMPARE(ReadFile(m_gpx), kOldGpx);
        return;
    }
    QCOMPARE(ReadFile(m_srt), kOldSrt);
    QCOMPARE(ReadFile(m_gpx).count("<rtept "), routePoints);
    VERIFY_GPX_FILE_CONSUMERS(m_gpx);
}

void TestBadInputsWindow::noInputName()
{
    w->InFileNameEdit->clear();
    press();
    QCOMPARE(seen(), QStringList{QStringLiteral("warning Au...: Please, specify input file name")});
    verifyOldOutputs();
}

void TestBadInputsWindow::missingFile()
{
    press();
    QCOMPARE(seen(), QStringList{QStringLiteral("warning Info: File not exists.")});
    verifyOldOutputs();
}

void TestBadInputsWindow::directory()
{
    QVERIFY(QDir().mkdir(m_log));
    press();
    QCOMPARE(seen(), QStringList{QStringLiteral("warning Info: File not opened.")});
    verifyOldOutputs();
}

void TestBadInputsWindow::unreadableFile()
{
    WriteFile(m_log, kOneBlock);
    QVERIFY(QFile::setPermissions(m_log, QFileDevice::Permissions()));
    {
        PermissionBitsCount bits(m_log);
        if (!bits.Ok())
            QSKIP("the permission bits cannot be made to count here (root without CAP_SETPCAP?)");
        press();
    }
    QVERIFY(QFile::setPermissions(m_log, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(seen(), QStringList{QStringLiteral("warning Info: File not opened.")});
    QCOMPARE(ReadFile(m_log), kOneBlock);
    verifyOldOutputs();
}

// An empty file is not reported at all.
void TestBadInputsWindow::emptyFile()
{
    WriteFile(m_log, QByteArray());
    press();
    QCOMPARE(seen(), QStringList());
    verifyOldOutputs();
}

// Only empty lines (and a file cut at a NUL before its first block): the
// subtitle button shows its summary of no records and writes nothing; the
// route button shows nothing.
void TestBadInputsWindow::noBlocks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    for (const char* button : {"srt", "gpx"}) {
        QTest::addRow("%s, empty lines", button) << QString::fromLatin1(button) << QByteArray("\r\n\n\r\n\r\r\n");
        QTest::addRow("%s, NUL first", button) << QString::fromLatin1(button) << QByteArray("\0" "1\r\n", 4);
    }
}

void TestBadInputsWindow::noBlocks()
{
    QFETCH(QByteArray, bytes);
    WriteFile(m_log, bytes);
    press();
    if (srt())
        QCOMPARE(seen(), QStringList{QStringLiteral("information Read information: Parsed 0 records\r\n\r\n")});
    else
        QCOMPARE(seen(), QStringList());
    QCOMPARE(ReadFile(m_log), bytes);
    verifyOldOutputs();
}

// A file picked by mistake. A video (an MP4 file starts with the 32-bit size
// of its "ftyp" box) starts with a NUL: no block, as above. A JPEG holds
// four bytes before its first NUL: one block in which nothing matches, so
// one record without values is converted, at 0, 0.
void TestBadInputsWindow::binaryGarbage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("converted");
    QByteArray video("\0\0\0\x18" "ftypmp42\0\0\0\0mp42isom", 24);
    QByteArray jpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20);
    for (int i = 0; i < 4096; ++i) {
        video += char((i * 37 + 11) % 256);
        jpeg += char((i * 101 + 7) % 256);
    }
    for (const char* button : {"srt", "gpx"}) {
        QTest::addRow("%s, video", button) << QString::fromLatin1(button) << video << false;
        QTest::addRow("%s, JPEG", button) << QString::fromLatin1(button) << jpeg << true;
    }
}

void TestBadInputsWindow::binaryGarbage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, converted);
    WriteFile(m_log, bytes);
    press();
    QCOMPARE(ReadFile(m_log), bytes);
    if (!converted) {
        if (srt())
            QCOMPARE(seen(), QStringList{QStringLiteral("information Read information: Parsed 0 records\r\n\r\n")});
        else
            QCOMPARE(seen(), QStringList());
        verifyOldOutputs();
        return;
    }
    if (srt())
        QCOMPARE(seen(), QStringList({kNothingFoundSummary, okBox()}));
    else
        QCOMPARE(seen(), QStringList{okBox()});
    verifyConverted(1);
    if (!srt())
        QVERIFY(ReadFile(m_gpx).contains("<rte>\r\n<rtept lat=\"0.00000\" lon=\"0.00000\">\r\n</rtept>\r\n</rte>"));
}

// A log saved again as UTF-16: the text ends at the first NUL byte. With the
// mark FF FE the text is the mark and "1": one record without values, as a
// JPEG gives; big-endian without a mark starts with a NUL: no block.
void TestBadInputsWindow::utf16Log_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("converted");
    const QString text = QString::fromUtf8(kOneBlock);
    QByteArray le("\xFF\xFE");
    QByteArray be;
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    for (const char* button : {"srt", "gpx"}) {
        QTest::addRow("%s, UTF-16LE with mark", button) << QString::fromLatin1(button) << le << true;
        QTest::addRow("%s, UTF-16BE", button) << QString::fromLatin1(button) << be << false;
    }
}

void TestBadInputsWindow::utf16Log()
{
    binaryGarbage();
}

// A GPS pattern that is no valid regular expression never matches: the one
// record keeps the position 0, 0. No box mentions the pattern.
void TestBadInputsWindow::invalidInputPattern()
{
    WriteFile(m_log, kOneBlock);
    w->InPatternEdits[InputPatterns::GPS]->setText(QStringLiteral("GPS[(]([-]?[0-9]+"));
    press();
    if (srt()) {
        QCOMPARE(seen(), QStringList({QStringLiteral("information Read information: Parsed 1 records\r\n\r\nFirst: GPS: "
                                                     "0, 0 SrtTime: 00:00:00,000 --> 00:00:01,000\r\nWay: 0\r\n"),
                                      okBox()}));
    } else {
        QCOMPARE(seen(), QStringList{okBox()});
        // The height 1.5 still counts: the route point has an elevation.
        QVERIFY(ReadFile(m_gpx).contains("<rtept lat=\"0.00000\" lon=\"0.00000\">\r\n<ele>1.50</ele>\r\n</rtept>"));
    }
    verifyConverted(1);
}

// A million blocks (about 100 MB) are read and converted; every fifth record
// is a route point. Under AddressSanitizer the window tests run with full
// stack unwinding on every allocation (scripts/test.sh), which makes a
// million blocks take minutes; a tenth runs the same code.
void TestBadInputsWindow::millionBlocks()
{
#if defined(__SANITIZE_ADDRESS__)
    const int blocks = 100000;
#else
    const int blocks = 1000000;
#endif
    {
        QFile file(m_log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray chunk;
        for (int i = 0; i < blocks; ++i) {
            chunk += LongFlightBlock(i);
            if (chunk.size() > (1 << 20) || i == blocks - 1) {
                QCOMPARE(file.write(chunk), qint64(chunk.size()));
                chunk.clear();
            }
        }
    }
    w->SmoothGpsEdit->setText(QStringLiteral("0"));
    press();
    const QStringList boxes = seen();
    if (srt()) {
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[0].startsWith(QStringLiteral("information Read information: Parsed %1 records\r\n\r\nFirst: "
                                                    "GPS: 10, 20 SrtTime: 00:00:00,000 --> 00:00:01,000\r\nWay: ")
                                         .arg(blocks)),
                 qPrintable(boxes[0]));
        QCOMPARE(boxes[1], okBox());
        QCOMPARE(ReadFile(m_srt).count("   Way: "), blocks);
    } else {
        QCOMPARE(boxes, QStringList{okBox()});
    }
    verifyConverted(blocks / 5);
}

// The window never creates folders: an output in a folder that does not
// exist cannot be opened.
void TestBadInputsWindow::outputFolderMissing()
{
    WriteFile(m_log, kOneBlock);
    const QString missing = path(QStringLiteral("nowhere/out.file"));
    (srt() ? w->OutSrtFileNameEdit : w->OutGpxFileNameEdit)->setText(missing);
    press();
    QStringList expected{QStringLiteral("warning Info: File not opened for writing.")};
    if (srt())
        expected.prepend(kOneBlockSummary);
    QCOMPARE(seen(), expected);
    QVERIFY(!QFile::exists(path(QStringLiteral("nowhere"))));
    verifyOldOutputs();
}

void TestBadInputsWindow::readOnlyOutputFolder()
{
    WriteFile(m_log, kOneBlock);
    const QString folder = path(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(folder));
    const QString old = folder + QStringLiteral("/out.file");
    WriteFile(old, "an earlier file");
    (srt() ? w->OutSrtFileNameEdit : w->OutGpxFileNameEdit)->setText(old);
    const QString probe = path(QStringLiteral("probe"));
    WriteFile(probe, "x");
    QVERIFY(QFile::setPermissions(probe, QFileDevice::Permissions()));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    bool ok = false;
    {
        PermissionBitsCount bits(probe);
        ok = bits.Ok();
        if (ok)
            press();
    }
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    if (!ok)
        QSKIP("the permission bits cannot be made to count here (root without CAP_SETPCAP?)");
    QStringList expected{QStringLiteral("warning Info: File not opened for writing.")};
    if (srt())
        expected.prepend(kOneBlockSummary);
    QCOMPARE(seen(), expected);
    QCOMPARE(ReadFile(old), QByteArray("an earlier file"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.file")});
    verifyOldOutputs();
}

void TestBadInputsWindow::outputNamingInput_data()
{
    // Names in the test folder, which also holds link.SRT -> log.SRT.
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("inName");
    QTest::addColumn<QString>("outName");
    for (const char* button : {"srt", "gpx"}) {
        const QString b = QString::fromLatin1(button);
        QTest::addRow("%s, the same name", button) << b << QStringLiteral("log.SRT") << QStringLiteral("log.SRT");
        QTest::addRow("%s, another spelling", button) << b << QStringLiteral("log.SRT") << QStringLiteral("./log.SRT");
        QTest::addRow("%s, a link to the input", button) << b << QStringLiteral("log.SRT") << QStringLiteral("link.SRT");
        QTest::addRow("%s, input through a link", button) << b << QStringLiteral("link.SRT") << QStringLiteral("log.SRT");
    }
}

void TestBadInputsWindow::outputNamingInput()
{
    QFETCH(QString, inName);
    QFETCH(QString, outName);
    WriteFile(m_log, kOneBlock);
    QVERIFY(QFile::link(m_log, path(QStringLiteral("link.SRT"))));
    w->InFileNameEdit->setText(path(inName));
    (srt() ? w->OutSrtFileNameEdit : w->OutGpxFileNameEdit)->setText(path(outName));
    press();
    QStringList expected{QStringLiteral("warning Au...: Output file must differ from input file")};
    if (srt())
        expected.prepend(kOneBlockSummary);
    QCOMPARE(seen(), expected);
    QCOMPARE(ReadFile(m_log), kOneBlock);
    QVERIFY(QFileInfo(path(QStringLiteral("link.SRT"))).isSymLink());
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    verifyOldOutputs();
}

// A file size limit of 8 KiB makes the write fail part-way. Qt keeps up to
// 16 KiB of written data in its own buffer, so a failure while that tail
// reaches the disk must be caught as surely as one during the writes: about
// 140 bytes of subtitles a record, and 65 bytes of route every fifth record,
// put the smaller flights between 8 and 16 KiB.
void TestBadInputsWindow::writeFailingHalfWay_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("records");
    QTest::newRow("srt, larger than the write buffer") << QStringLiteral("srt") << 2000;
    QTest::newRow("srt, tail still in the write buffer") << QStringLiteral("srt") << 80;
    QTest::newRow("gpx, larger than the write buffer") << QStringLiteral("gpx") << 2000;
    QTest::newRow("gpx, tail still in the write buffer") << QStringLiteral("gpx") << 1000;
}

void TestBadInputsWindow::writeFailingHalfWay()
{
    QFETCH(int, records);
    QByteArray bytes;
    for (int i = 0; i < records; ++i)
        bytes += LongFlightBlock(i);
    WriteFile(m_log, bytes);
    {
        FileSizeLimit limit(8192);
        press();
    }
    const QStringList boxes = seen();
    const QString fail = QStringLiteral("warning Fail: ") + output() + QStringLiteral(" - something wrong during writing...");
    if (srt()) {
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[0].startsWith(QStringLiteral("information Read information: Parsed %1 records").arg(records)),
                 qPrintable(boxes[0]));
        QCOMPARE(boxes[1], fail);
        // The flight moved, so the way reached is carried on all the same.
        QVERIFY(w->WayBeforeEdit->text() != QStringLiteral("0.0"));
    } else {
        QCOMPARE(boxes, QStringList{fail});
    }
    QCOMPARE(ReadFile(m_log), bytes);
    verifyOldOutputs();
}

QTEST_MAIN(TestBadInputsWindow)
#include "test_bad_inputs_window.moc"
