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
    void controllerHoldsDefaults();
    void windowGeometryAndTitle();
    void panesInOrder();
    void settingsGroupContents();
    void patternRowsInOrder();
    void onlyInputFieldAndGroupAreStyled();
    void widgetsBelongToTheWindow();
    void onlyTheInputFieldTakesFiles();
    void adjustCheckTogglesGroup();
    void toggleFollowsTheGroupNotTheCheck();
    void settingsRoundTrip();
    void slotsInMetaObjectOrder();
    void openButtonIsConnected();
    void writeButtonsAreConnected_data();
    void writeButtonsAreConnected();
    void inputFieldIsConnected();
    void aboutButtonIsConnectedOnce();
    void showTellsTheUser();

private:
    std::unique_ptr<SornLogic> m_logic;
    MainWindowWidgets* w = nullptr;
};

void TestMainWindow::init()
{
    m_logic = std::make_unique<SornLogic>();
    w = m_logic->Widgets;
    QVERIFY(w);
    QVERIFY(w->Window);
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
    // The constructor builds the window but does not show it.
    QVERIFY(!w->Window->isVisible());

    QCOMPARE(w->InPatternEdits.size(), 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(w->InPatternEdits[i]->text(), QLatin1String(kDefaultPatterns[i]));

    // The editor gives its text back with plain LF line breaks.
    QCOMPARE(w->OutPatternEdit->toPlainText(), OutputPatternWith("\n"));

    QCOMPARE(w->SmoothGpsEdit->text(), QStringLiteral("5"));
    QCOMPARE(w->WayBeforeEdit->text(), QStringLiteral("0.0"));
    QVERIFY(w->InFileNameEdit->text().isEmpty());
    QVERIFY(w->OutSrtFileNameEdit->text().isEmpty());
    QVERIFY(w->OutGpxFileNameEdit->text().isEmpty());
    QVERIFY(!w->UseHeightCheck->isChecked());
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
    QVERIFY(w->InPatternGroup->isHidden());

    w->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w->Window));
    QVERIFY(!w->InPatternGroup->isVisible());
    QVERIFY(w->InFileNameEdit->isVisible());
}

void TestMainWindow::controllerHoldsDefaults()
{
    for (int i = 0; i < 6; ++i)
        QCOMPARE(m_logic->Patterns->Texts[i], QLatin1String(kDefaultPatterns[i]));
    // The controller's own copy keeps CR LF: 4 lines of 4 + 9 + 37 + 65
    // characters, five CR LF pairs.
    QCOMPARE(m_logic->OutPattern, OutputPatternWith("\r\n"));
    QCOMPARE(m_logic->OutPattern.size(), 129);
    QCOMPARE(w->StyleInput, kIvory);
    QCOMPARE(w->StyleChanged, QStringLiteral("background-color:#F8FFF0"));
    QVERIFY(w->StyleNone.isEmpty());
}

void TestMainWindow::windowGeometryAndTitle()
{
    QVERIFY(w->Window->isWindow());
    QVERIFY(!w->Window->parentWidget());
    QCOMPARE(w->Window->width(), 500);
    const QString title = QStringLiteral("Velloa (") + QLatin1String(kMakerSiteTag) + QStringLiteral(", 2019.06.26)");
    QCOMPARE(w->Window->windowTitle(), title);
    QCOMPARE(SornLogic::WindowTitle(), title);
    QCOMPARE(SornLogic::MakerAddress(), QLatin1String(kMakerAddress));

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
    QCOMPARE(splitter->count(), 15);

    QCOMPARE(Text(splitter->widget(0)), QStringLiteral("Input .SRT file:"));
    QVERIFY(qobject_cast<QLabel*>(splitter->widget(0)));
    QCOMPARE(splitter->widget(1), static_cast<QWidget*>(w->InFileNameEdit));
    QCOMPARE(splitter->widget(2), static_cast<QWidget*>(w->OpenSrtButton));
    QCOMPARE(w->OpenSrtButton->text(), QStringLiteral("Open .SRT "));
    QCOMPARE(splitter->widget(3), static_cast<QWidget*>(w->AdjustInPatternsCheck));
    QCOMPARE(w->AdjustInPatternsCheck->text(), QStringLiteral("Adjust input patterns"));
    QCOMPARE(splitter->widget(4), static_cast<QWidget*>(w->InPatternGroup));
    QCOMPARE(w->InPatternGroup->title(), QStringLiteral("Input RE-patterns for SRT-parse"));
    QVERIFY(qobject_cast<QGroupBox*>(splitter->widget(5)));
    QCOMPARE(Text(splitter->widget(5)), QStringLiteral("Conversion settings"));
    QVERIFY(qobject_cast<QLabel*>(splitter->widget(6)));
    QCOMPARE(Text(splitter->widget(6)), QStringLiteral("Output Pattern"));
    QCOMPARE(splitter->widget(7), static_cast<QWidget*>(w->OutPatternEdit));
    QCOMPARE(Text(splitter->widget(8)), QStringLiteral("Output .SRT file:"));
    QCOMPARE(splitter->widget(9), static_cast<QWidget*>(w->OutSrtFileNameEdit));
    QCOMPARE(splitter->widget(10), static_cast<QWidget*>(w->WriteSrtButton));
    // "&&" is Qt's escape for a literal ampersand: shown as "Calc & Write".
    QCOMPARE(w->WriteSrtButton->text(), QStringLiteral("Calc && Write .SRT file"));
    QVERIFY(QKeySequence::mnemonic(w->WriteSrtButton->text()).isEmpty());
    QCOMPARE(Text(splitter->widget(11)), QStringLiteral("Output .GPX file:"));
    QCOMPARE(splitter->widget(12), static_cast<QWidget*>(w->OutGpxFileNameEdit));
    QCOMPARE(splitter->widget(13), static_cast<QWidget*>(w->WriteGpxButton));
    QCOMPARE(w->WriteGpxButton->text(), QStringLiteral("Write .GPX file"));
    QCOMPARE(splitter->widget(14), static_cast<QWidget*>(w->AboutButton));
    QCOMPARE(w->AboutButton->text(), QStringLiteral("About Velloa"));

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

void TestMainWindow::settingsGroupContents()
{
    auto* group = qobject_cast<QGroupBox*>(w->WayBeforeEdit->parentWidget());
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral("Conversion settings"));
    QVERIFY(group->styleSheet().isEmpty());
    auto* box = qobject_cast<QVBoxLayout*>(group->layout());
    QVERIFY(box);
    QCOMPARE(box->count(), 5);
    QCOMPARE(Text(box->itemAt(0)->widget()), QStringLiteral("Way before, m"));
    QCOMPARE(box->itemAt(1)->widget(), static_cast<QWidget*>(w->WayBeforeEdit));
    QCOMPARE(Text(box->itemAt(2)->widget()), QStringLiteral("Smooth GPS, sec"));
    QCOMPARE(box->itemAt(3)->widget(), static_cast<QWidget*>(w->SmoothGpsEdit));
    QCOMPARE(box->itemAt(4)->widget(), static_cast<QWidget*>(w->UseHeightCheck));
    QCOMPARE(w->UseHeightCheck->text(), QStringLiteral("Use height for speed and way"));
}

void TestMainWindow::patternRowsInOrder()
{
    auto* grid = qobject_cast<QGridLayout*>(w->InPatternGroup->layout());
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), 6);
    QCOMPARE(grid->columnCount(), 2);
    const char* const labels[6] = {"ID", "SrtTime", "Home", "GPS", "FlyTime", "Barometer"};
    for (int row = 0; row < 6; ++row) {
        auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
        QVERIFY(label);
        QCOMPARE(label->text(), QLatin1String(labels[row]));
        QCOMPARE(grid->itemAtPosition(row, 1)->widget(), static_cast<QWidget*>(w->InPatternEdits[row]));
        QCOMPARE(w->InPatternEdits[row]->parentWidget(), static_cast<QWidget*>(w->InPatternGroup));
    }
}

void TestMainWindow::onlyInputFieldAndGroupAreStyled()
{
    QVERIFY(w->Window->styleSheet().isEmpty());
    const QList<QWidget*> all = w->Window->findChildren<QWidget*>();
    QVERIFY(all.size() > 30);
    int styled = 0;
    for (QWidget* child : all) {
        if (child->styleSheet().isEmpty())
            continue;
        ++styled;
        QVERIFY2(child == w->InFileNameEdit || child == w->InPatternGroup, qPrintable(child->objectName()));
        QCOMPARE(child->styleSheet(), kIvory);
    }
    QCOMPARE(styled, 2);
}

void TestMainWindow::widgetsBelongToTheWindow()
{
    const QList<QWidget*> working = {
        w->InFileNameEdit, w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->OutPatternEdit,
        w->WayBeforeEdit, w->SmoothGpsEdit, w->UseHeightCheck, w->AdjustInPatternsCheck,
        w->InPatternGroup, w->OpenSrtButton, w->WriteSrtButton, w->WriteGpxButton, w->AboutButton};
    for (QWidget* widget : working) {
        QVERIFY(widget);
        QCOMPARE(widget->window(), w->Window);
        // Each one can be found by its field name.
        QCOMPARE(w->Window->findChild<QWidget*>(widget->objectName()), widget);
    }
    QCOMPARE(w->Window->findChild<QLineEdit*>(QStringLiteral("InFileNameEdit")),
             static_cast<QLineEdit*>(w->InFileNameEdit));
    for (QLineEdit* edit : qAsConst(w->InPatternEdits))
        QCOMPARE(edit->window(), w->Window);
}

void TestMainWindow::onlyTheInputFieldTakesFiles()
{
    QCOMPARE(QLatin1String(w->InFileNameEdit->metaObject()->className()), QLatin1String("QLineEditDnD"));
    QVERIFY(w->InFileNameEdit->acceptDrops());
    for (QLineEdit* edit : {w->OutSrtFileNameEdit, w->OutGpxFileNameEdit, w->WayBeforeEdit, w->SmoothGpsEdit})
        QCOMPARE(QLatin1String(edit->metaObject()->className()), QLatin1String("QLineEdit"));
    for (QLineEdit* edit : qAsConst(w->InPatternEdits))
        QCOMPARE(QLatin1String(edit->metaObject()->className()), QLatin1String("QLineEdit"));
    // No signals, slots or properties of its own.
    const QMetaObject& dnd = QLineEditDnD::staticMetaObject;
    QCOMPARE(dnd.methodCount(), dnd.methodOffset());
    QCOMPARE(dnd.propertyCount(), dnd.propertyOffset());
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
    // The group needs room: the window cannot stay as low as before.
    QTRY_VERIFY(w->Window->height() > hiddenHeight);

    ClickCheck(w->AdjustInPatternsCheck);
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
    QVERIFY(!w->InPatternGroup->isVisible());
    QVERIFY(w->InPatternGroup->isHidden());
    QCOMPARE(w->Window->width(), 500);
}

void TestMainWindow::toggleFollowsTheGroupNotTheCheck()
{
    // The slot flips the group whatever the check box says.
    QVERIFY(w->InPatternGroup->isHidden());
    m_logic->Pressed_HideUnhide_InPattern();
    QVERIFY(!w->InPatternGroup->isHidden());
    QVERIFY(!w->AdjustInPatternsCheck->isChecked());
    m_logic->Pressed_HideUnhide_InPattern();
    QVERIFY(w->InPatternGroup->isHidden());
}

void TestMainWindow::settingsRoundTrip()
{
    // Edits reach the controller only through WidgetsToSettings.
    w->InPatternEdits[InputPatterns::GPS]->setText(QStringLiteral(" GPS\\((.*)\\) "));
    w->OutPatternEdit->setPlainText(QStringLiteral("{Way}\r\n{ID}"));
    QCOMPARE(m_logic->Patterns->Texts[InputPatterns::GPS], QLatin1String(kDefaultPatterns[InputPatterns::GPS]));
    QCOMPARE(m_logic->OutPattern.size(), 129);

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
    QCOMPARE(QLatin1String(meta.className()), QLatin1String("SornLogic"));
    QCOMPARE(meta.superClass(), &QObject::staticMetaObject);
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
        QCOMPARE(method.returnType(), int(QMetaType::Void));
    }
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.constructorCount(), 0);

    // Slots run by index too: slot 3 is the group switch.
    QVERIFY(w->InPatternGroup->isHidden());
    QVERIFY(meta.method(meta.methodOffset() + 3).invoke(m_logic.get(), Qt::DirectConnection));
    QVERIFY(!w->InPatternGroup->isHidden());
}

void TestMainWindow::openButtonIsConnected()
{
    DialogDriver driver;
    driver.answerFileDialog(QString());  // cancel
    QTest::mouseClick(w->OpenSrtButton, Qt::LeftButton);
    QCOMPARE(driver.fileDialogs().size(), 1);
    QCOMPARE(driver.fileDialogs().at(0).title, QStringLiteral("Open .SRT file"));
    QCOMPARE(driver.fileDialogs().at(0).nameFilters, QStringList{QStringLiteral("*.srt")});
    QVERIFY(driver.boxes().isEmpty());
    QVERIFY(driver.unexpected().isEmpty());
    // The derivation ran on the emptied field.
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral(".sorned.srt"));
}

void TestMainWindow::writeButtonsAreConnected_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("srt") << QStringLiteral("WriteSrtButton");
    QTest::newRow("gpx") << QStringLiteral("WriteGpxButton");
}

void TestMainWindow::writeButtonsAreConnected()
{
    // With no input name, each action answers with exactly one warning:
    // a second connection would show a second box.
    QFETCH(QString, button);
    auto* push = w->Window->findChild<QPushButton*>(button);
    QVERIFY(push);
    DialogDriver driver;
    QTest::mouseClick(push, Qt::LeftButton);
    QTRY_COMPARE(driver.boxes().size(), 1);
    QTest::qWait(50);
    QCOMPARE(driver.boxes().size(), 1);
    const SeenBox box = driver.boxes().at(0);
    QCOMPARE(box.title, QStringLiteral("Au..."));
    QCOMPARE(box.text, QStringLiteral("Please, specify input file name"));
    QCOMPARE(box.icon, QMessageBox::Warning);
}

void TestMainWindow::inputFieldIsConnected()
{
    w->InFileNameEdit->setText(QStringLiteral("f.SRT"));
    QVERIFY(w->OutSrtFileNameEdit->text().isEmpty());  // setText alone derives nothing
    emit w->InFileNameEdit->editingFinished();
    QCOMPARE(w->OutSrtFileNameEdit->text(), QStringLiteral("f.sorned.srt"));
}

void TestMainWindow::aboutButtonIsConnectedOnce()
{
    auto aboutWindows = [] {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            n += top->objectName() == QLatin1String("AboutWindow") ? 1 : 0;
        return n;
    };
    QCOMPARE(aboutWindows(), 0);
    QTest::mouseClick(w->AboutButton, Qt::LeftButton);
    QCOMPARE(aboutWindows(), 1);
}

void TestMainWindow::showTellsTheUser()
{
    DialogDriver driver;
    SornLogic::Show(UserMessage{});
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

    // The empty message shows nothing; the others in order, each with its icon.
    QCOMPARE(driver.boxes().size(), 2);
    QCOMPARE(driver.boxes().at(0).title, QStringLiteral("Info"));
    QCOMPARE(driver.boxes().at(0).text, QStringLiteral("File not exists."));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Warning);
    QCOMPARE(driver.boxes().at(1).title, QStringLiteral("OK"));
    QCOMPARE(driver.boxes().at(1).text, QStringLiteral("x.gpx has been writed!"));
    QCOMPARE(driver.boxes().at(1).icon, QMessageBox::Information);
    for (const SeenBox& box : driver.boxes())
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
