#include "ui/MainWindowWidgets.h"

#include "app/SornLogic.h"
#include "input/InputPatterns.h"
#include "input/LogFamily.h"
#include "ui/QLineEditDnD.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// Widgets are made without a parent: the splitter or a layout adopts them,
// so they end up as children of the window (directly or via a group box).
template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* Caption(const char* text)
{
    return new QLabel(QLatin1String(text));
}

}  // namespace

void MainWindowWidgets::BuildMainWindow()
{
    StyleInput = QStringLiteral("background-color:#FFFFF0");
    StyleChanged = QStringLiteral("background-color:#F8FFF0");
    StyleNone = QString();

    Window = Named(new QWidget, "Window");
    Window->setWindowTitle(SornLogic::WindowTitle());
    Window->resize(500, Window->height());

    auto* splitter = new QSplitter(Qt::Vertical);

    splitter->addWidget(Caption("Input .SRT file:"));

    InFileNameEdit = Named(new QLineEditDnD, "InFileNameEdit");
    InFileNameEdit->setStyleSheet(StyleInput);
    splitter->addWidget(InFileNameEdit);

    OpenSrtButton = Named(new QPushButton(QStringLiteral("Open .SRT ")), "OpenSrtButton");
    splitter->addWidget(OpenSrtButton);

    AdjustInPatternsCheck = Named(new QCheckBox(QStringLiteral("Adjust input patterns")), "AdjustInPatternsCheck");
    AdjustInPatternsCheck->setChecked(false);
    splitter->addWidget(AdjustInPatternsCheck);

    // The group is hidden and styled before its rows exist, so the rows
    // inherit the ivory background and never flash up at start.
    InPatternGroup = Named(new QGroupBox(QStringLiteral("Input RE-patterns for SRT-parse")), "InPatternGroup");
    InPatternGroup->setHidden(true);
    InPatternGroup->setStyleSheet(StyleInput);
    auto* grid = new QGridLayout;
    LogFormatCombo = Named(new QComboBox, "LogFormatCombo");
    LogFormatCombo->addItem(QStringLiteral("Automatic"), AutomaticFormatId());
    for (const LogFamily& family : LogFamilies())
        LogFormatCombo->addItem(QLatin1String(family.Drones), QLatin1String(family.Id));
    LogFormatCombo->addItem(QStringLiteral("Input patterns below"), PatternsFormatId());
    grid->addWidget(new QLabel(QStringLiteral("Log format")), 0, 0);
    grid->addWidget(LogFormatCombo, 0, 1);
    InPatternEdits.clear();
    for (int i = 0; i < InputPatterns::Count; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("InPatternEdits_%1").arg(i));
        InPatternEdits.append(edit);
        grid->addWidget(new QLabel(InputPatterns::Label(i)), i + 1, 0);
        grid->addWidget(edit, i + 1, 1);
    }
    InPatternGroup->setLayout(grid);
    splitter->addWidget(InPatternGroup);

    auto* settings = new QGroupBox(QStringLiteral("Conversion settings"));
    auto* settingsLayout = new QVBoxLayout;
    settingsLayout->addWidget(Caption("Way before, m"));
    WayBeforeEdit = Named(new QLineEdit, "WayBeforeEdit");
    settingsLayout->addWidget(WayBeforeEdit);
    settingsLayout->addWidget(Caption("Smooth GPS, sec"));
    SmoothGpsEdit = Named(new QLineEdit, "SmoothGpsEdit");
    settingsLayout->addWidget(SmoothGpsEdit);
    UseHeightCheck = Named(new QCheckBox(QStringLiteral("Use height for speed and way")), "UseHeightCheck");
    UseHeightCheck->setChecked(false);
    settingsLayout->addWidget(UseHeightCheck);
    settings->setLayout(settingsLayout);
    splitter->addWidget(settings);

    splitter->addWidget(Caption("Output Pattern"));
    OutPatternEdit = Named(new QTextEdit, "OutPatternEdit");
    splitter->addWidget(OutPatternEdit);

    splitter->addWidget(Caption("Output .SRT file:"));
    OutSrtFileNameEdit = Named(new QLineEdit, "OutSrtFileNameEdit");
    splitter->addWidget(OutSrtFileNameEdit);
    WriteSrtButton = Named(new QPushButton(QStringLiteral("Calc && Write .SRT file")), "WriteSrtButton");
    splitter->addWidget(WriteSrtButton);

    splitter->addWidget(Caption("Output .GPX file:"));
    OutGpxFileNameEdit = Named(new QLineEdit, "OutGpxFileNameEdit");
    splitter->addWidget(OutGpxFileNameEdit);
    WriteGpxButton = Named(new QPushButton(QStringLiteral("Write .GPX file")), "WriteGpxButton");
    splitter->addWidget(WriteGpxButton);

    AboutButton = Named(new QPushButton(QStringLiteral("About Velloa")), "AboutButton");
    splitter->addWidget(AboutButton);

    auto* windowLayout = new QVBoxLayout;
    windowLayout->addWidget(splitter);
    Window->setLayout(windowLayout);
}
