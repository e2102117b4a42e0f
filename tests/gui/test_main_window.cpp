// The main window as the controller builds it: start-up state, pane order,
// captions, style sheets, the pattern-group switch, the controller's slots
// and the connections from the window's widgets to them.
#include "app/SornLogic.h"
#include "output/Maker.h"
#include "support/DialogDriver.h"
#include "ui/MainWindowWidgets.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// The six default input patterns, typed in by hand (the Home, GPS
// and FlyTime ones admit a minus sign).
const char* const kDefaultPatterns[6] = {
    "^([0-9]*)$",
    "(.{13}-->.{13})",
    ".*HOME[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[)]",
    ".*GPS[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[,]",
    "HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})",
    "BAROMETER[:]([-]?[0-9]*[.][0-9]*)",
};

// The default output pattern's four lines; the pattern is each of them
// followed by a line break, then one more line break.
const char* const kOutputLines[4] = {
    "{ID}",
    "{SrtTime}",
    "{FlyTime}   GPS:{GPS}   Hb:{Barometer}",
    "Dst: {Distance}m   Spd: {SpeedMS}m/s  ({SpeedKMH}km/h)   Way: {Way}m",
};

QString OutputPatternWith(const char* lineBreak)
{
    QString text;
    for (const char* line : kOutputLines)
        text += QLatin1String(line) + QLatin1String(lineBreak);
    return text + QLatin1String(lineBreak);
}

const QString kIvory = QStringLiteral("background-color:#FFFFF0");

// A click lands only on the box and its caption, not on the empty rest of
// the 500-pixel row.
void ClickCheck(QCheckBox* check)
{
    QStyleOptionButton option;
    option.initFrom(check);
    const QRect target = check->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, check);
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, target.center());
}

QString Text(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return QString();
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithDefaults();
    void windowGeometryAndTitle();
    void panesInOrder();
    void onlyInputFieldAndGroupAreStyled();
    void onlyTheInputFieldTakesFiles();
    void adjustCheckTogglesGroup();
    void settingsRoundTrip();
    void slotsInMetaObjectOrder();
    void openInputAndAboutAreConnected();
    void showTellsTheUser();

private:
    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;
};

void TestMainWindow::init()
{
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    QVERIFY(w && w->Window);
}

void TestMainWindow::cleanup()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("AboutWindow"))
            delete top;
    }
    m_logic.reset();
    w = nullptr;
}

void TestMainWindow::startsWithDefaults()
{
    QVERIFY(!w->Window->isVisible());  // built, not shown
    QCOMPARE(w->InPatternEdits.size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(w->InPatternEdits[i]->text(), QLatin1String(kDefaultPatterns[i]));
        QCOMPARE(m_logic->Patterns->Texts[i], QLatin1String(kDefaultPatterns[i]));
    }
    // The editor gives its text back with LF; the controller's copy keeps CR LF.
    QCOMPARE(w->OutPatternEdit->toPlainText(), OutputPatternWith("\n"));
    QCOMPARE(m_logic->OutPattern, OutputPatternWith("\r\n"));
    QCOMPARE(w->SmoothGpsEdit->text(), QStringLiteral("5"));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    QVERIFY(w->InFileNameEdit->text().isEmpty());
    QVERIFY(w->OutSrtFileNameEdit->text().isEmpty());
    QVERIFY(w->OutGpxFileNameEdit->text().isEmpty());
    QVERIFY(!w->UseHeightCheck->isChecked());
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
    QVERIFY(w->InPatternGroup->isHidden());
    QCOMPARE(w->StyleChanged, QStringLiteral("background-color:#F8FFF0"));
    QVERIFY(w->StyleNone.isEmpty());

    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
    QVERIFY(!w->InPatternGroup->isVisible());
    QVERIFY(w->InFileNameEdit->isVisible());
}

void TestMainWindow::windowGeometryAndTitle()
{
    QVERIFY(!w->Window->parentWidget());
    const QString title = QStringLiteral("Velloa (") + QLatin1String(kMakerSiteTag) + QStringLiteral(", 2019.06.26)");
    QCOMPARE(w->Window->windowTitle(), title);
    QCOMPARE(SornLogic::WindowTitle(), title);
    QCOMPARE(SornLogic::MakerAddress(), QLatin1String(kMakerAddress));
    QCOMPARE(w->Window->width(), 500);
    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
    QCOMPARE(w->Window->width(), 500);
}

void TestMainWindow::panesInOrder()
{
    auto* layout = qobject_cast<QVBoxLayout*>(w->Window->layout());
    QVERIFY(layout);
    QCOMPARE(layout->count(), 1);
    auto* splitter = qobject_cast<QSplitter*>(layout->itemAt(0)->widget());
    QVERIFY(splitter);
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    // Each pane: the widget expected there (null: a label or group found by
    // its caption) and its caption. "&&" shows as a literal ampersand.
    const QList<QPair<QWidget*, QString>> panes = {
        {nullptr, QStringLiteral("Input .SRT file:")},
        {w->InFileNameEdit, QString()},
        {w->OpenSrtButton, QStringLiteral("Open .SRT ")},
        {w->AdjustInPatternsCheck, QStringLiteral("Adjust input patterns")},
        {w->InPatternGroup, QStringLiteral("Input RE-patterns for SRT-parse")},
        {nullptr, QStringLiteral("Conversion settings")},
        {nullptr, QStringLiteral("Output Pattern")},
        {w->OutPatternEdit, QString()},
        {nullptr, QStringLiteral("Output .SRT file:")},
        {w->OutSrtFileNameEdit, QString()},
        {w->WriteSrtButton, QStringLiteral("Calc && Write .SRT file")},
        {nullptr, QStringLiteral("Output .GPX file:")},
        {w->OutGpxFileNameEdit, QString()},
        {w->WriteGpxButton, QStringLiteral("Write .GPX file")},
        {w->AboutButton, QStringLiteral("About Velloa")},
    };
    QCOMPARE(splitter->count(), panes.size());
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i].first)
            QCOMPARE(splitter->widget(i), panes[i].first);
        else
            QVERIFY(qobject_cast<QLabel*>(splitter->widget(i)) || qobject_cast<QGroupBox*>(splitter->widget(i)));
        QCOMPARE(Text(splitter->widget(i)), panes[i].second);
    }
    QVERIFY(QKeySequence::mnemonic(w->WriteSrtButton->text()).isEmpty());

    // The settings group and the pattern grid, in their order.
    auto* box = qobject_cast<QVBoxLayout*>(w->WayBeforeEdit->parentWidget()->layout());
    QVERIFY(box);
    QCOMPARE(box->count(), 5);
    QCOMPARE(Text(box->itemAt(0)->widget()), QStringLiteral("Way before, m"));
    QCOMPARE(box->itemAt(1)->widget(), static_cast<QWidget*>(w->WayBeforeEdit));
    QCOMPARE(Text(box->itemAt(2)->widget()), QStringLiteral("Smooth GPS, sec"));
    QCOMPARE(box->itemAt(3)->widget(), static_cast<QWidget*>(w->SmoothGpsEdit));
    QCOMPARE(box->itemAt(4)->widget(), static_cast<QWidget*>(w->UseHeightCheck));
    QCOMPARE(w->UseHeightCheck->text(), QStringLiteral("Use height for speed and way"));
    auto* grid = qobject_cast<QGridLayout*>(w->InPatternGroup->layout());
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), 6);
    const char* const labels[6] = {"ID", "SrtTime", "Home", "GPS", "FlyTime", "Barometer"};
    for (int row = 0; row < 6; ++row) {
        QCOMPARE(Text(grid->itemAtPosition(row, 0)->widget()), QLatin1String(labels[row]));
        QCOMPARE(grid->itemAtPosition(row, 1)->widget(), static_cast<QWidget*>(w->InPatternEdits[row]));
    }

    // On screen, the visible panes run from top to bottom in that order.
    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
    int lastTop = -1;
    for (int i = 0; i < splitter->count(); ++i) {
        QWidget* pane = splitter->widget(i);
        if (pane->isHidden())
            continue;
        QVERIFY2(pane->y() > lastTop, qPrintable(QStringLiteral("pane %1 out of order").arg(i)));
        lastTop = pane->y();
    }
}

void TestMainWindow::onlyInputFieldAndGroupAreStyled()
{
    QVERIFY(w->Window->styleSheet().isEmpty());
    QList<QWidget*> styled;
    for (QWidget* child : w->Window->findChildren<QWidget*>()) {
        if (!child->styleSheet().isEmpty()) {
            styled << child;
            QCOMPARE(child->styleSheet(), kIvory);
        }
    }
    QCOMPARE(styled.size(), 2);
    QVERIFY(styled.contains(w->InFileNameEdit) && styled.contains(w->InPatternGroup));
}

void TestMainWindow::onlyTheInputFieldTakesFiles()
{
    QCOMPARE(QLatin1String(w->InFileNameEdit->metaObject()->className()), QLatin1String("QLineEditDnD"));
    QVERIFY(w->InFileNameEdit->acceptDrops());
    QList<QLineEdit*> others = {w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->WayBeforeEdit, w->SmoothGpsEdit};
    others += w->InPatternEdits.toList();
    for (QLineEdit* edit : qAsConst(others))
        QCOMPARE(QLatin1String(edit->metaObject()->className()), QLatin1String("QLineEdit"));
}

void TestMainWindow::adjustCheckTogglesGroup()
{
    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
    const int hiddenHeight = w->Window->height();

    ClickCheck(w->AdjustInPatternsCheck);
    QVERIFY(w->AdjustInPatternsCheck->isChecked());
    QVERIFY(w->InPatternGroup->isVisible());
    for (QLineEdit* edit : qAsConst(w->InPatternEdits))
        QVERIFY(edit->isVisible());
    QCOMPARE(w->Window->width(), 500);
    QTRY_VERIFY(w->Window->height() > hiddenHeight);  // the group needs room

    ClickCheck(w->AdjustInPatternsCheck);
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
    QVERIFY(w->InPatternGroup->isHidden());
    QCOMPARE(w->Window->width(), 500);

    // The slot flips the group whatever the check box says.
    m_logic->Pressed_HideUnhide_InPattern();
    QVERIFY(!w->InPatternGroup->isHidden());
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
}

void TestMainWindow::settingsRoundTrip()
{
    // Edits reach the controller only through WidgetsToSettings.
    w->InPatternEdits[InputPatterns::GPS]->setText(QStringLiteral(" GPS\\((.*)\\) "));
    w->OutPatternEdit->setPlainText(QStringLiteral("{Way}\r\n{ID}"));
    QCOMPARE(m_logic->Patterns->Texts[InputPatterns::GPS], QLatin1String(kDefaultPatterns[InputPatterns::GPS]));
    QCOMPARE(m_logic->OutPattern, OutputPatternWith("\r\n"));

    m_logic->WidgetsToSettings();
    // Taken unchanged (blanks kept); the editor hands back LF line breaks.
    QCOMPARE(m_logic->Patterns->Texts[InputPatterns::GPS], QStringLiteral(" GPS\\((.*)\\) "));
    QCOMPARE(m_logic->Patterns->Texts[InputPatterns::ID], QLatin1String(kDefaultPatterns[InputPatterns::ID]));
    QCOMPARE(m_logic->OutPattern, QStringLiteral("{Way}\n{ID}"));

    m_logic->Patterns->Texts[InputPatterns::Barometer] = QStringLiteral("B:(.*)");
    m_logic->OutPattern = QStringLiteral("x");
    m_logic->SettingsToWidgets();
    QCOMPARE(w->InPatternEdits[InputPatterns::Barometer]->text(), QStringLiteral("B:(.*)"));
    QCOMPARE(w->OutPatternEdit->toPlainText(), QStringLiteral("x"));
}

void TestMainWindow::slotsInMetaObjectOrder()
{
    const QMetaObject& meta = SornLogic::staticMetaObject;
    const QList<QByteArray> expected = {"Pressed_GetSrtName", "Pressed_WriteSrt", "Pressed_WriteGpx",
                                        "Pressed_HideUnhide_InPattern", "Pressed_About", "Pressed_TolvName",
                                        "Changed_InFileName"};
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.name(), expected[i]);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Public);
        QCOMPARE(method.parameterCount(), 0);
    }
    // Slots run by index too: slot 3 is the group switch.
    QVERIFY(meta.method(meta.methodOffset() + 3).invoke(m_logic.get(), Qt::DirectConnection));
    QVERIFY(!w->InPatternGroup->isHidden());
}

// The write buttons' connections are checked by the bad-input window tests,
// which expect exactly one box per press.
void TestMainWindow::openInputAndAboutAreConnected()
{
    DialogDriver driver;
    driver.answerFileDialog(QString());  // cancel
    QTest::mouseClick(w->OpenSrtButton, Qt::LeftButton);
    QCOMPARE(driver.fileDialogs().size(), 1);
    QCOMPARE(driver.fileDialogs().at(0).title, QStringLiteral("Open .SRT file"));
    QCOMPARE(driver.fileDialogs().at(0).nameFilters, QStringList{QStringLiteral("*.srt")});
    QVERIFY(driver.boxes().isEmpty() && driver.unexpected().isEmpty());
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral(".sorned.srt"));  // derived from the emptied field

    w->InFileNameEdit->setText(QStringLiteral("f.SRT"));
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral(".sorned.srt"));  // setText alone derives nothing
    emit w->InFileNameEdit->editingFinished();
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("f.sorned.srt"));

    QTest::mouseClick(w->AboutButton, Qt::LeftButton);
    int aboutWindows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        aboutWindows += top->objectName() == QLatin1String("AboutWindow") ? 1 : 0;
    QCOMPARE(aboutWindows, 1);
}

void TestMainWindow::showTellsTheUser()
{
    DialogDriver driver;
    SornLogic::Show(UserMessage{});  // shows nothing
    UserMessage warning;
    warning.Icon = UserMessage::Kind::Warning;
    warning.Title = QStringLiteral("Info");
    warning.Text = QStringLiteral("File not exists.");
    SornLogic::Show(warning);
    UserMessage info;
    info.Icon = UserMessage::Kind::Information;
    info.Title = QStringLiteral("OK");
    info.Text = QStringLiteral("x.gpx has been writed!");
    SornLogic::Show(info);
    // Describe() marks any box that offers more than a single OK button.
    QCOMPARE(Seen(driver), QStringList({QStringLiteral("warning Info: File not exists."),
                                        QStringLiteral("information OK: x.gpx has been writed!")}));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
