// The three file-name fields: browsing, the derivation of both output names
// with the fields' colouring, and dropping onto the input field.
#include "app/SornLogic.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kInput = QStringLiteral("background-color:#FFFFF0");
const QString kChanged = QStringLiteral("background-color:#F8FFF0");
const QString kNone;

// What a drag and drop from outside delivers to the field, at `pos`.
struct DropResult {
    bool enterAccepted = false;
    bool dropAccepted = false;
};

DropResult Drop(QWidget* target, QMimeData* mime, QPoint pos)
{
    DropResult result;
    QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(target, &enter);
    result.enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(target, &drop);
    result.dropAccepted = drop.isAccepted();
    return result;
}

QMimeData* UriList(const QByteArray& payload)
{
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/uri-list"), payload);
    return mime;
}

}  // namespace

class TestFileNameFields : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void derivesOutputNames_data();
    void derivesOutputNames();
    void returnRederivesOverTypedNames();
    void leavingTheFieldDerives();
    void editingOutputFieldsTriggersNothing();

    void browsePicksFile();
    void browseCancelEmptiesField();

    void dropOfUriList_data();
    void dropOfUriList();
    void dropOfPlainTextInsertsAtPosition();
    void dropOntoOutputFieldIsStandard();

private:
    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;
};

void TestFileNameFields::init()
{
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
}

void TestFileNameFields::cleanup()
{
    m_logic.reset();
    w = nullptr;
}

void TestFileNameFields::derivesOutputNames_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("srt");
    QTest::addColumn<QString>("gpx");
    QTest::addColumn<QString>("inputStyle");
    QTest::addColumn<QString>("outputStyle");

    // Expected names: one ".SRT" (any case) cut off, the suffixes appended.
    QTest::newRow("windows path") << "C:/logs/flight7.SRT" << "C:/logs/flight7.sorned.srt" << "C:/logs/flight7.gpx"
                                  << kChanged << kChanged;
    QTest::newRow("small suffix") << "flight7.srt" << "flight7.sorned.srt" << "flight7.gpx" << kChanged << kChanged;
    QTest::newRow("mixed case") << "flight7.SrT" << "flight7.sorned.srt" << "flight7.gpx" << kChanged << kChanged;
    QTest::newRow("other suffix") << "flight7.txt" << "flight7.txt.sorned.srt" << "flight7.txt.gpx" << kChanged
                                  << kChanged;
    QTest::newRow("double suffix") << "a.srt.srt" << "a.srt.sorned.srt" << "a.srt.gpx" << kChanged << kChanged;
    QTest::newRow("no dot") << "flightSRT" << "flightSRT.sorned.srt" << "flightSRT.gpx" << kChanged << kChanged;
    QTest::newRow("suffix only") << ".SRT" << ".sorned.srt" << ".gpx" << kChanged << kNone;
    QTest::newRow("blank after suffix") << "flight7.SRT " << "flight7.SRT .sorned.srt" << "flight7.SRT .gpx"
                                        << kChanged << kChanged;
    QTest::newRow("blank only") << " " << " .sorned.srt" << " .gpx" << kChanged << kChanged;
    QTest::newRow("empty") << "" << ".sorned.srt" << ".gpx" << kInput << kNone;
}

void TestFileNameFields::derivesOutputNames()
{
    QFETCH(QString, input);
    QFETCH(QString, srt);
    QFETCH(QString, gpx);
    QFETCH(QString, inputStyle);
    QFETCH(QString, outputStyle);

    w->InFileNameEdit->setText(input);
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);

    QCOMPARE(w->InFileNameEdit->text(), input);  // never changed here
    QCOMPARE(w->OutSrtFileNameEdit->text(), srt);
    QCOMPARE(w->OutGpxFileNameEdit->text(), gpx);
    QCOMPARE(w->InFileNameEdit->styleSheet(), inputStyle);
    QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), outputStyle);
    QCOMPARE(w->OutGpxFileNameEdit->styleSheet(), outputStyle);
}

void TestFileNameFields::returnRederivesOverTypedNames()
{
    w->InFileNameEdit->setText(QStringLiteral("/data/f.SRT"));
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Enter);  // keypad Enter counts too
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("/data/f.sorned.srt"));

    w->OutSrtFileNameEdit->setText(QStringLiteral("mine.srt"));
    w->OutGpxFileNameEdit->setText(QStringLiteral("mine.gpx"));
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);  // text unchanged
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("/data/f.sorned.srt"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("/data/f.gpx"));

    // Emptying the field brings back the empty look.
    w->InFileNameEdit->clear();
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);
    QCOMPARE(w->InFileNameEdit->styleSheet(), kInput);
    QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), kNone);
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral(".sorned.srt"));
}

void TestFileNameFields::leavingTheFieldDerives()
{
    QTest::keyClicks(w->InFileNameEdit, QStringLiteral("g.SRT"));
    QVERIFY(w->OutGpxFileNameEdit->text().isEmpty());  // typing alone derives nothing
    // Leaving the field, delivered directly: without a window manager (bare
    // X server) no window becomes active, so real focus moves are unreliable.
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w->InFileNameEdit, &leave);
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("g.gpx"));
    // Edited again and left again: derived again over a typed name. (Qt 5.15
    // signals a focus loss only after an edit; Return always signals.)
    w->OutGpxFileNameEdit->setText(QStringLiteral("typed.gpx"));
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Backspace);
    QApplication::sendEvent(w->InFileNameEdit, &leave);
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("g.SR.gpx"));
}

void TestFileNameFields::editingOutputFieldsTriggersNothing()
{
    QTest::keyClicks(w->OutSrtFileNameEdit, QStringLiteral("x.SRT"));
    QTest::keyClick(w->OutSrtFileNameEdit, Qt::Key_Return);
    QTest::keyClicks(w->OutGpxFileNameEdit, QStringLiteral("y.SRT"));
    QTest::keyClick(w->OutGpxFileNameEdit, Qt::Key_Return);
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("x.SRT"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("y.SRT"));
    QVERIFY(w->InFileNameEdit->text().isEmpty());
    QVERIFY(w->OutSrtFileNameEdit->styleSheet().isEmpty());
    QCOMPARE(w->InFileNameEdit->styleSheet(), kInput);
}

void TestFileNameFields::browsePicksFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString log = QDir(dir.path()).filePath(QStringLiteral("flight7.SRT"));
    QFile file(log);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString base = QDir(dir.path()).filePath(QStringLiteral("flight7"));

    DialogDriver driver;
    driver.answerFileDialog(log);
    QTest::mouseClick(w->OpenSrtButton, Qt::LeftButton);

    QCOMPARE(driver.fileDialogs().size(), 1);
    QVERIFY(driver.boxes().isEmpty());
    QVERIFY(driver.unexpected().isEmpty());
    QCOMPARE(w->InFileNameEdit->text(), log);
    QCOMPARE(w->OutSrtFileNameEdit->text(), base + QStringLiteral(".sorned.srt"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), base + QStringLiteral(".gpx"));
    QCOMPARE(w->InFileNameEdit->styleSheet(), kChanged);
    QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), kChanged);
    QCOMPARE(w->OutGpxFileNameEdit->styleSheet(), kChanged);
}

void TestFileNameFields::browseCancelEmptiesField()
{
    w->InFileNameEdit->setText(QStringLiteral("old.SRT"));
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);
    QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), kChanged);

    DialogDriver driver;
    driver.answerFileDialog(QString());
    QTest::mouseClick(w->OpenSrtButton, Qt::LeftButton);

    QCOMPARE(driver.fileDialogs().size(), 1);
    QVERIFY(driver.boxes().isEmpty());  // cancelling is not reported
    QVERIFY(w->InFileNameEdit->text().isEmpty());
    QCOMPARE(w->InFileNameEdit->styleSheet(), kInput);
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral(".sorned.srt"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral(".gpx"));
    QCOMPARE(w->OutSrtFileNameEdit->styleSheet(), kNone);
    QCOMPARE(w->OutGpxFileNameEdit->styleSheet(), kNone);
}

void TestFileNameFields::dropOfUriList_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("field");  // the input field after the drop; empty: refused, "keep.SRT" kept
    QTest::addColumn<QString>("base");   // the output names without their suffixes

    const QString uriList = QStringLiteral("text/uri-list");
    // How file managers send one file: an encoded file URL and CR LF.
    QTest::newRow("local file") << uriList << QByteArray("file:///home/pilot/DJI_0001.SRT\r\n")
                                << "/home/pilot/DJI_0001.SRT" << "/home/pilot/DJI_0001";
    // %20 is a blank, %D0%BF%D0%BE%D0%BB%D1%91%D1%82 is "полёт" in UTF-8.
    QTest::newRow("encoded") << uriList << QByteArray("file:///tmp/my%20logs/%D0%BF%D0%BE%D0%BB%D1%91%D1%82.srt\r\n")
                             << QString::fromUtf8("/tmp/my logs/полёт.srt") << QString::fromUtf8("/tmp/my logs/полёт");
    QTest::newRow("surrounding blanks") << uriList << QByteArray("  \tfile:///a/b.txt \r\n\r\n") << "/a/b.txt"
                                        << "/a/b.txt";
    QTest::newRow("web address") << uriList << QByteArray("https://example.org/logs/flight7.SRT\r\n")
                                 << "https://example.org/logs/flight7.SRT" << "https://example.org/logs/flight7";
    // Two files: the trimmed payload is one address, so no single file is
    // picked out. The tolerant parser percent-encodes the line break inside
    // the path and the local path decodes it again.
    QTest::newRow("several files") << uriList << QByteArray("file:///logs/a.SRT\r\nfile:///logs/b.SRT\r\n")
                                   << "/logs/a.SRT\r\nfile:///logs/b.SRT" << "/logs/a.SRT\r\nfile:///logs/b";
    QTest::newRow("stops at NUL") << uriList << QByteArray("file:///logs/c.SRT\r\n\0file:///x.SRT", 34)
                                  << "/logs/c.SRT" << "/logs/c";
    // Not a file drop, and no text to insert either: refused, nothing changes.
    QTest::newRow("format is case-sensitive") << QStringLiteral("TEXT/URI-LIST")
                                              << QByteArray("file:///logs/d.SRT\r\n") << QString() << QString();
}

void TestFileNameFields::dropOfUriList()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, payload);
    QFETCH(QString, field);
    QFETCH(QString, base);
    w->InFileNameEdit->setText(QStringLiteral("keep.SRT"));
    QMimeData mime;
    mime.setData(format, payload);
    if (!field.isEmpty())
        mime.setText(QStringLiteral("ignored text"));  // file managers offer both
    const DropResult result = Drop(w->InFileNameEdit, &mime, QPoint(5, 5));
    if (field.isEmpty()) {
        QVERIFY(!result.enterAccepted);
        QVERIFY(!result.dropAccepted);
        QCOMPARE(w->InFileNameEdit->text(), QStringLiteral("keep.SRT"));
        QVERIFY(w->OutSrtFileNameEdit->text().isEmpty());
        return;
    }
    QVERIFY(result.enterAccepted);
    QVERIFY(result.dropAccepted);
    QCOMPARE(w->InFileNameEdit->text(), field);
    QCOMPARE(w->OutSrtFileNameEdit->text(), base + QStringLiteral(".sorned.srt"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), base + QStringLiteral(".gpx"));
    QCOMPARE(w->InFileNameEdit->styleSheet(), kChanged);
    QCOMPARE(w->OutGpxFileNameEdit->styleSheet(), kChanged);
}

void TestFileNameFields::dropOfPlainTextInsertsAtPosition()
{
    w->InFileNameEdit->setText(QStringLiteral("abcdef"));
    w->InFileNameEdit->setCursorPosition(3);
    const QPoint between = w->InFileNameEdit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    w->InFileNameEdit->setCursorPosition(0);

    QMimeData mime;
    mime.setText(QStringLiteral("XY.SRT"));
    const DropResult result = Drop(w->InFileNameEdit, &mime, between);

    QVERIFY(result.enterAccepted);
    QVERIFY(result.dropAccepted);
    QCOMPARE(w->InFileNameEdit->text(), QStringLiteral("abcXY.SRTdef"));
    // Nothing derived until editing finishes.
    QVERIFY(w->OutSrtFileNameEdit->text().isEmpty());
    QVERIFY(w->OutGpxFileNameEdit->text().isEmpty());
    QCOMPARE(w->InFileNameEdit->styleSheet(), kInput);

    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("abcXY.SRTdef.sorned.srt"));
}

void TestFileNameFields::dropOntoOutputFieldIsStandard()
{
    w->InFileNameEdit->setText(QStringLiteral("in.SRT"));
    QTest::keyClick(w->InFileNameEdit, Qt::Key_Return);
    w->OutSrtFileNameEdit->setText(QStringLiteral("out"));
    w->OutSrtFileNameEdit->setCursorPosition(3);
    const QPoint end = w->OutSrtFileNameEdit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center() + QPoint(20, 0);

    // What a file manager offers: the file URL and its path as text. A plain
    // line edit takes the text, inserted where it is dropped.
    std::unique_ptr<QMimeData> mime(UriList("file:///logs/e.SRT\r\n"));
    mime->setText(QStringLiteral("/logs/e.SRT"));
    const DropResult result = Drop(w->OutSrtFileNameEdit, mime.get(), end);

    QVERIFY(result.dropAccepted);
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("out/logs/e.SRT"));
    // No derivation: the other fields keep what they had.
    QCOMPARE(w->InFileNameEdit->text(), QStringLiteral("in.SRT"));
    QCOMPARE(w->OutGpxFileNameEdit->text(), QStringLiteral("in.gpx"));
}

QTEST_MAIN(TestFileNameFields)
#include "test_file_name_fields.moc"
