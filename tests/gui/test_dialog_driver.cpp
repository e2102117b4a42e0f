// The test helper that answers modal dialogs: the action tests rely on it to
// see every message box, in order, wherever it is opened.
#include "support/DialogDriver.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestDialogDriver : public QObject {
    Q_OBJECT

private slots:
    void boxesInOrderFromAClickedSlot();
    void boxOpenedWhileAnsweringAnother();
    void fileDialogAnswersInQueueOrder();
    void missingFileIsCancelled();
    void otherDialogsAreRejected();
    void urlCatcherTakesWebAddresses();
};

void TestDialogDriver::boxesInOrderFromAClickedSlot()
{
    DialogDriver driver;
    QPushButton button;
    int afterBoxes = 0;
    connect(&button, &QPushButton::clicked, [&] {
        QMessageBox::warning(nullptr, QStringLiteral("A"), QStringLiteral("first"), QMessageBox::Ok);
        QMessageBox::information(nullptr, QStringLiteral("B"), QStringLiteral("second"), QMessageBox::Ok);
        QMessageBox::warning(nullptr, QStringLiteral("C"), QStringLiteral("third"), QMessageBox::Ok);
        afterBoxes = 1;
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);

    QCOMPARE(afterBoxes, 1);  // the slot ran to its end
    QCOMPARE(driver.boxes().size(), 3);
    QCOMPARE(driver.boxes().at(0).title, QStringLiteral("A"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Warning);
    QCOMPARE(driver.boxes().at(1).text, QStringLiteral("second"));
    QCOMPARE(driver.boxes().at(1).icon, QMessageBox::Information);
    QCOMPARE(driver.boxes().at(2).title, QStringLiteral("C"));
    QCOMPARE(driver.boxes().at(2).buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    driver.clear();
    QVERIFY(driver.boxes().isEmpty());
}

void TestDialogDriver::boxOpenedWhileAnsweringAnother()
{
    // A box whose OK opens the next one, from inside the first box's loop.
    DialogDriver driver;
    QMessageBox outer(QMessageBox::Warning, QStringLiteral("outer"), QStringLiteral("1"), QMessageBox::Ok);
    connect(outer.button(QMessageBox::Ok), &QAbstractButton::clicked, [] {
        QMessageBox::information(nullptr, QStringLiteral("inner"), QStringLiteral("2"), QMessageBox::Ok);
    });
    outer.exec();
    QCOMPARE(driver.boxes().size(), 2);
    QCOMPARE(driver.boxes().at(0).title, QStringLiteral("outer"));
    QCOMPARE(driver.boxes().at(1).title, QStringLiteral("inner"));
}

void TestDialogDriver::fileDialogAnswersInQueueOrder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = QDir(dir.path()).filePath(QStringLiteral("one.srt"));
    QFile file(first);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    DialogDriver driver;
    driver.answerFileDialog(first);
    driver.answerFileDialog(QString());
    QCOMPARE(driver.pendingFileAnswers(), 2);
    QCOMPARE(QFileDialog::getOpenFileName(nullptr, QStringLiteral("pick"), QString(), QStringLiteral("*.srt")), first);
    QVERIFY(QFileDialog::getOpenFileName(nullptr, QStringLiteral("pick"), QString(), QStringLiteral("*.srt")).isEmpty());
    // Nothing queued: cancelled.
    QVERIFY(QFileDialog::getOpenFileName(nullptr, QStringLiteral("pick")).isEmpty());
    QCOMPARE(driver.fileDialogs().size(), 3);
    QCOMPARE(driver.fileDialogs().at(0).answer, first);
    QVERIFY(driver.boxes().isEmpty());
}

void TestDialogDriver::missingFileIsCancelled()
{
    // The open-file dialog refuses a file that does not exist with a box of
    // its own; the driver records that box and then cancels the dialog.
    DialogDriver driver;
    driver.answerFileDialog(QDir::temp().filePath(QStringLiteral("velloa-no-such-dir/none.srt")));
    QVERIFY(QFileDialog::getOpenFileName(nullptr, QStringLiteral("pick")).isEmpty());
    QCOMPARE(driver.boxes().size(), 1);
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Warning);
    QCOMPARE(driver.fileDialogs().size(), 2);
}

void TestDialogDriver::otherDialogsAreRejected()
{
    DialogDriver driver;
    QDialog dialog;
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(driver.unexpected(), QStringList{QStringLiteral("QDialog")});
}

void TestDialogDriver::urlCatcherTakesWebAddresses()
{
    {
        UrlCatcher catcher;
        QVERIFY(QDesktopServices::openUrl(QUrl(QStringLiteral("https://example.org/a"))));
        QVERIFY(QDesktopServices::openUrl(QUrl(QStringLiteral("http://example.org/b"))));
        QCOMPARE(catcher.urls().size(), 2);
        QCOMPARE(catcher.urls().at(0), QUrl(QStringLiteral("https://example.org/a")));
        QCOMPARE(catcher.urls().at(1), QUrl(QStringLiteral("http://example.org/b")));
    }
    // A second catcher takes over cleanly after the first is gone.
    UrlCatcher again;
    QVERIFY(QDesktopServices::openUrl(QUrl(QStringLiteral("https://example.org/c"))));
    QCOMPARE(again.urls().size(), 1);
}

QTEST_MAIN(TestDialogDriver)
#include "test_dialog_driver.moc"
