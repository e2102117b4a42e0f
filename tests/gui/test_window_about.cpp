// "About Velloa": every press opens a new top-level window with the main
// title and a button that hands the maker's address to the browser; closing
// it only hides it.
#include "app/SornLogic.h"
#include "support/Support.h"
#include "ui/MainWindowWidgets.h"

#include <QDesktopServices>
#include <QPushButton>

class TestWindowAbout : public QObject {
    Q_OBJECT

public slots:
    void open(const QUrl& url) { m_opened << url.toString(); }  // instead of a browser

private slots:
    void aboutWindows()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        SornLogic logic;
        for (int press = 1; press <= 2; ++press) {
            QTest::mouseClick(logic.Widgets->AboutButton, Qt::LeftButton);
            QList<QWidget*> windows;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String("AboutWindow") && top->isVisible())
                    windows << top;
            QCOMPARE(windows.size(), press);
            QWidget* about = windows.last();
            QVERIFY(!about->parent());
            QCOMPARE(about->windowTitle(), QStringLiteral("Velloa (velloa.example, 2019.06.26)"));
            auto* link = about->findChild<QPushButton*>();
            QCOMPARE(link->text(), QStringLiteral("Go to https://velloa.example/"));
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(m_opened.size(), press);
            QCOMPARE(m_opened.last(), QStringLiteral("https://velloa.example/"));
        }
        QList<QPointer<QWidget>> abouts;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("AboutWindow") && top->close())
                abouts << top;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(abouts.size(), 2);
        for (const QPointer<QWidget>& about : abouts) {
            QVERIFY(about && about->isHidden());  // hidden, not deleted
            delete about;  // the program never does; the leak checker would
        }
    }

private:
    QStringList m_opened;
};

QTEST_MAIN(TestWindowAbout)
#include "test_window_about.moc"
