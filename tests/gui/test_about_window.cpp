// The About window: a new top-level window per press, with the main title,
// the fixed Russian description and a button that opens the maker's address;
// and that an open About window keeps the program running.
#include "app/SornLogic.h"
#include "output/Maker.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// The sixteen lines of the description, typed in by hand (empty
// strings are the empty lines); line 10 ends in a blank.
const char* const kAboutLines[16] = {
    "О программе Velloa",
    "",
    "",
    "Программа на основании записи полётов в файлах субтитров от DJI Mavic Pro позволяет строить",
    "GPX-треки и добавлять дополнительные вычислимые поля в субтитры.",
    "",
    "Дополнительные поля: скорость (м/с), скорость (к/ч), дистанция от точки старта (м),",
    "пройденный путь (м).",
    "",
    "Поскольку точность географических координат в SRT-файле ограничена, то координаты изменяются ",
    "слишком ступенчато.",
    "Параметр 'Smooth GPS' может сгладить эту ступенчатость на указанное в нём количество секунд,",
    "однако, при этом некоторая появится 'инерциальность' изменений.",
    "",
    "Если обрабатываются несколько треков, то можно изменять начальное значение пройденного пути",
    "в параметре 'Way before'.",
};

QList<QWidget*> AboutWindows()
{
    QList<QWidget*> found;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("AboutWindow"))
            found.append(top);
    }
    return found;
}

}  // namespace

class TestAboutWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void eachPressOpensAWindow();
    void descriptionIsExact();
    void buttonOpensMakerAddress();
    void closingOnlyHides();
    void eventLoopRunsUntilAboutCloses();

private:
    QList<QWidget*> pressAbout(int times);

    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;
};

void TestAboutWindow::init()
{
    QVERIFY(AboutWindows().isEmpty());
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
}

void TestAboutWindow::cleanup()
{
    qDeleteAll(AboutWindows());
    m_logic.reset();
    w = nullptr;
}

QList<QWidget*> TestAboutWindow::pressAbout(int times)
{
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(w->AboutButton, Qt::LeftButton);
    return AboutWindows();
}

void TestAboutWindow::eachPressOpensAWindow()
{
    const QList<QWidget*> windows = pressAbout(2);
    QCOMPARE(windows.size(), 2);
    QVERIFY(windows[0] != windows[1]);
    for (QWidget* about : windows) {
        QVERIFY(about->isWindow());
        QVERIFY(!about->parentWidget());
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), w->Window->windowTitle());
        // Asked for 500 pixels; the layout widens it to the longest line.
        QVERIFY(about->width() >= 500);
        auto* layout = qobject_cast<QVBoxLayout*>(about->layout());
        QVERIFY(layout);
        QCOMPARE(layout->count(), 2);
        QVERIFY(qobject_cast<QLabel*>(layout->itemAt(0)->widget()));
        auto* button = qobject_cast<QPushButton*>(layout->itemAt(1)->widget());
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Go to ") + QLatin1String(kMakerAddress));
    }
    // Both identical.
    QCOMPARE(windows[0]->findChild<QLabel*>()->text(), windows[1]->findChild<QLabel*>()->text());
    // Not modal: the main window stays usable.
    QVERIFY(!QApplication::activeModalWidget());
    QTest::mouseClick(w->AboutButton, Qt::LeftButton);
    QCOMPARE(AboutWindows().size(), 3);
}

void TestAboutWindow::descriptionIsExact()
{
    const QList<QWidget*> windows = pressAbout(1);
    QCOMPARE(windows.size(), 1);
    const QString text = windows[0]->findChild<QLabel*>()->text();

    QString expected;
    for (const char* line : kAboutLines)
        expected += QString::fromUtf8(line) + QStringLiteral("\r\n");
    QCOMPARE(text, expected);  // sixteen lines, each ended by CR LF
}

void TestAboutWindow::buttonOpensMakerAddress()
{
    UrlCatcher catcher;
    const QList<QWidget*> windows = pressAbout(2);
    QCOMPARE(windows.size(), 2);
    QVERIFY(catcher.urls().isEmpty());

    // Each window's button opens the address once (one connection each).
    QTest::mouseClick(windows[1]->findChild<QPushButton*>(), Qt::LeftButton);
    QCOMPARE(catcher.urls(), QList<QUrl>{QUrl(QLatin1String(kMakerAddress))});
    QTest::mouseClick(windows[0]->findChild<QPushButton*>(), Qt::LeftButton);
    QCOMPARE(catcher.urls(), QList<QUrl>() << QUrl(QLatin1String(kMakerAddress)) << QUrl(QLatin1String(kMakerAddress)));

    // The slot itself, as the button runs it.
    catcher.clear();
    m_logic->Pressed_TolvName();
    QCOMPARE(catcher.urls().size(), 1);
}

void TestAboutWindow::closingOnlyHides()
{
    const QList<QWidget*> first = pressAbout(1);
    QCOMPARE(first.size(), 1);
    QPointer<QWidget> about = first[0];
    QVERIFY(about->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about);  // not destroyed, only hidden
    QVERIFY(!about->isVisible());

    // The next press builds a fresh window rather than reusing it.
    const QList<QWidget*> now = pressAbout(1);
    QCOMPARE(now.size(), 2);
    QVERIFY(!about->isVisible());
    int visible = 0;
    for (QWidget* window : now)
        visible += window->isVisible() ? 1 : 0;
    QCOMPARE(visible, 1);
}

void TestAboutWindow::eventLoopRunsUntilAboutCloses()
{
    // The real event loop, as the program runs it: closing the main window
    // leaves it running while an About window is open; closing that ends it.
    // (Qt signals lastWindowClosed only while exec() runs.)
    QVERIFY(QApplication::quitOnLastWindowClosed());
    const QList<QWidget*> windows = pressAbout(1);
    QCOMPARE(windows.size(), 1);
    QWidget* about = windows[0];
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    bool runningAfterMainClosed = false;
    int lastClosedWhileAboutOpen = -1;
    QTimer::singleShot(0, w->Window, &QWidget::close);
    QTimer::singleShot(100, about, [&] {
        runningAfterMainClosed = true;  // the loop is still delivering timers
        lastClosedWhileAboutOpen = lastClosed.count();
        about->close();
    });
    QTimer guard;  // a loop that never ends would hang the test
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(10000);

    const int result = QApplication::exec();
    guard.stop();
    QCOMPARE(result, 0);
    QVERIFY(runningAfterMainClosed);
    QCOMPARE(lastClosedWhileAboutOpen, 0);
    QCOMPARE(lastClosed.count(), 1);
    QVERIFY(!w->Window->isVisible());
    QVERIFY(!about->isVisible());
}

QTEST_MAIN(TestAboutWindow)
#include "test_about_window.moc"
