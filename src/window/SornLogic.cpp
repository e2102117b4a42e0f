#include "window/SornLogic.h"

#include "conversion/OutputNames.h"
#include "conversion/ConversionSettings.h"
#include "conversion/VideoCopy.h"
#include "conversion/VideoOutputOptions.h"
#include "window/CardWindow.h"
#include "window/FlightPreview.h"

#include "window/Dialogs.h"
#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"
#include "window/PlaceholderPicker.h"
#include "window/ProgressRun.h"
#include "window/QLineEditDnD.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

SornLogic::SornLogic()
    : QObject(nullptr)
{
    Widgets = new MainWindowWidgets;
    Patterns = new InputPatterns;
    *Patterns = InputPatterns::Defaults();
    OutPattern = DefaultPatternCrLf();

    Widgets->BuildMainWindow();
    SettingsToWidgets();
    Widgets->SmoothGpsEdit->setText(QStringLiteral("5"));
    Widgets->WayBeforeEdit->setText(QStringLiteral("0.0"));
    Widgets->PrivacyRadiusEdit->setText(QStringLiteral("0"));

    connect(Widgets->OpenSrtButton, &QPushButton::clicked, this, &SornLogic::Pressed_GetSrtName);
    connect(Widgets->WriteSrtButton, &QPushButton::clicked, this, &SornLogic::Pressed_WriteSrt);
    connect(Widgets->AdjustInPatternsCheck, &QCheckBox::clicked, this, &SornLogic::Pressed_HideUnhide_InPattern);
    connect(Widgets->WriteGpxButton, &QPushButton::clicked, this, &SornLogic::Pressed_WriteGpx);
    connect(Widgets->InFileNameEdit, &QLineEdit::editingFinished, this, &SornLogic::Changed_InFileName);
    connect(Widgets->AboutButton, &QPushButton::clicked, this, &SornLogic::Pressed_About);
    connect(Widgets->OtherOutputsCheck, &QCheckBox::clicked, this,
            [this] { Widgets->ToggleGroup(Widgets->OtherOutputsGroup, HeightWithoutOtherOutputs); });
    for (const MainWindowWidgets::OutputRow& row : qAsConst(Widgets->OtherOutputs))
        connect(row.WriteButton, &QPushButton::clicked, this, [this, row] { WriteOneOutput(*row.Kind, row.NameEdit->text()); });
    m_videoRun = new ProgressRun(Widgets->Window, QStringLiteral("Video"));
    connect(Widgets->WriteOverlayButton, &QPushButton::clicked, this, [this] { WriteVideoOutput(true); });
    connect(Widgets->WriteVideoCopyButton, &QPushButton::clicked, this, [this] { WriteVideoOutput(false); });
    // The two that show a flight, each through ShowFlight.
    Preview = new FlightPreview(this);
    connect(Preview, &FlightPreview::FlightRead, this, [this](const Flight& flight, const QString& name) { ShowFlight(flight, name); });
    connect(Preview, &FlightPreview::ReadFailed, this, &SornLogic::ShowReadFailure);
    Card = new CardControl(Widgets, this);
    connect(Card, &CardControl::FlightChosen, this, [this](const Flight& flight, const QString& name) { ShowFlight(flight, name); });
    connect(Card, &CardControl::ReadFailed, this, &SornLogic::ShowReadFailure);
    Widgets->FlightPane->SetPatternSource([this] { return Widgets->OutPatternEdit->toPlainText(); });
    connect(Widgets->OutPatternEdit, &QTextEdit::textChanged, Widgets->FlightPane, &FlightView::RefreshSubtitle);
    // The view's overlay looks as the overlay video's fields say.
    Widgets->FlightPane->SetOverlayLookSource([this] {
        OverlayVideoRequest video;
        QString error;
        Widgets->OverlaySettings(&video, &error);  // no item checked: an empty overlay
        return video.Look;
    });
    connect(Widgets->OverlayCornerCombo, qOverload<int>(&QComboBox::currentIndexChanged), Widgets->FlightPane,
            &FlightView::RefreshOverlay);
    for (QCheckBox* check : qAsConst(Widgets->OverlayItemChecks))
        connect(check, &QCheckBox::toggled, Widgets->FlightPane, &FlightView::RefreshOverlay);
    connect(Widgets->FlightPane->SavePictureButton, &QPushButton::clicked, this, [this] { SaveFlightPicture(); });
    // A hidden flight shows again when its log is named again.
    connect(Widgets->FlightPane->HideButton, &QPushButton::clicked, this, [this] {
        Widgets->SetFlightViewShown(false);
        Preview->Forget();
    });
    // The user's own patterns always apply as written: editing one selects
    // "Input patterns below".
    for (QLineEdit* edit : Widgets->InPatternEdits) {
        connect(edit, &QLineEdit::textEdited, this, [this] {
            Widgets->LogFormatCombo->setCurrentIndex(Widgets->LogFormatCombo->findData(PatternsFormatId()));
        });
    }
}

// The program itself never destroys its controller (the process just ends);
// tests do, and get the main window and the records back with it. About
// windows are top-level windows of their own and are not owned here.
SornLogic::~SornLogic()
{
    delete Widgets->Window;
    delete Widgets;
    delete Patterns;
}

void SornLogic::SettingsToWidgets()
{
    for (int i = 0; i < InputPatterns::Count; ++i)
        Widgets->InPatternEdits[i]->setText(Patterns->Texts[i]);
    Widgets->OutPatternEdit->setPlainText(OutPattern);
}

void SornLogic::WidgetsToSettings()
{
    for (int i = 0; i < InputPatterns::Count; ++i)
        Patterns->Texts[i] = Widgets->InPatternEdits[i]->text();
    // The editor hands its text back with LF line breaks only, so the
    // pattern an action uses never holds the CR LF of the default.
    OutPattern = Widgets->OutPatternEdit->toPlainText();
}

QString SornLogic::WindowTitle()
{
    return WindowTitleText();
}

QString SornLogic::MakerAddress()
{
    return MakerAddressText();
}

void SornLogic::Show(const UserMessage& message)
{
    Dialogs::Show(message);
}

void SornLogic::Pressed_HideUnhide_InPattern()
{
    Widgets->LogFormatChoice->setHidden(!Widgets->InPatternGroup->isHidden());
    Widgets->ToggleGroup(Widgets->InPatternGroup, HeightWithoutPatterns);
}

void SornLogic::ShowFlight(const Flight& flight, const QString& fileName)
{
    Widgets->FlightPane->ShowFlight(flight, fileName.isEmpty() ? Widgets->InFileNameEdit->text() : fileName);
    // The picker shows each placeholder's value at the middle of the flight.
    QStringList values;
    const int middle = static_cast<int>(flight.Points.size() / 2);
    for (const PlaceholderInfo& placeholder : Placeholders())
        values << SubtitlePreview(flight, static_cast<std::size_t>(middle), QLatin1String(placeholder.Name));
    SetPlaceholderValues(Widgets->PlaceholderMenu, values);
    Widgets->SetFlightViewShown(true);
}

void SornLogic::ShowReadFailure(const QString& fileName, const QString& why)
{
    Widgets->FlightPane->ShowReadFailure(fileName, why);
    SetPlaceholderValues(Widgets->PlaceholderMenu, {});  // no flight, no values
    Widgets->SetFlightViewShown(true);
}

void SornLogic::SaveFlightPicture()
{
    const QString input = Widgets->FlightPane->FileName();  // the flight shown, not the field
    const double privacyRadiusM = Widgets->Request().PrivacyRadiusM;  // a saved picture follows the zone, as the shared tracks do
    if (privacyRadiusM < 0.0) {
        Show(PrivacyRadiusRefusedMessage());
        return;
    }
    const QFileInfo log(input);
    const QString suggestion = input.isEmpty() ? QString() : log.dir().filePath(log.completeBaseName() + QStringLiteral(".png"));
    QString name = Dialogs::SaveFileName(QStringLiteral("Save picture"), suggestion, QStringLiteral("PNG image (*.png)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".png");
    if (!Widgets->FlightPane->SavePicture(name, privacyRadiusM))
        Show(FileNotWrittenMessage(name));
}

void SornLogic::Pressed_About()
{
    // A new window on every press, never parented, never destroyed: closing
    // it only hides it, and while it is visible the program keeps running.
    auto* about = new QWidget;
    about->setObjectName(QStringLiteral("AboutWindow"));
    about->setWindowTitle(WindowTitle());
    about->resize(500, about->height());

    auto* layout = new QVBoxLayout;

    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += QString::fromUtf8("О программе Velloa") + crlf;
    text += crlf;
    text += crlf;
    text += QString::fromUtf8("Программа на основании записи полётов в файлах субтитров от DJI Mavic Pro позволяет строить") + crlf;
    text += QString::fromUtf8("GPX-треки и добавлять дополнительные вычислимые поля в субтитры.") + crlf;
    text += crlf;
    text += QString::fromUtf8("Дополнительные поля: скорость (м/с), скорость (к/ч), дистанция от точки старта (м),") + crlf;
    text += QString::fromUtf8("пройденный путь (м).") + crlf;
    text += crlf;
    text += QString::fromUtf8("Поскольку точность географических координат в SRT-файле ограничена, то координаты изменяются ") + crlf;
    text += QString::fromUtf8("слишком ступенчато.") + crlf;
    text += QString::fromUtf8("Параметр 'Smooth GPS' может сгладить эту ступенчатость на указанное в нём количество секунд,") + crlf;
    text += QString::fromUtf8("однако, при этом некоторая появится 'инерциальность' изменений.") + crlf;
    text += crlf;
    text += QString::fromUtf8("Если обрабатываются несколько треков, то можно изменять начальное значение пройденного пути") + crlf;
    text += QString::fromUtf8("в параметре 'Way before'.") + crlf;

    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("AboutText"));
    layout->addWidget(label);

    auto* button = new QPushButton(QStringLiteral("Go to ") + MakerAddress());
    button->setObjectName(QStringLiteral("AboutLinkButton"));
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, &SornLogic::Pressed_TolvName);

    about->setLayout(layout);
    about->show();
}

void SornLogic::Pressed_TolvName()
{
    // Nothing to report when no browser takes the address.
    QDesktopServices::openUrl(QUrl(MakerAddress(), QUrl::TolerantMode));
}

// The three file-name fields: browsing for the input log and deriving the
// output names from it; and the input name given on the command line.
void SornLogic::Pressed_GetSrtName()
{
    // Several files chosen are a card of clips (CardWindow.h).
    const QStringList names = Dialogs::OpenFileNames(QStringLiteral("Open .SRT file"),
                                                     QStringLiteral("Flight logs and videos (*.srt *.mp4 *.mov)"));
    // A cancelled dialog returns no name, which empties the field on
    // purpose: the derivation then clears the output names' colouring too.
    Widgets->InFileNameEdit->setText(names.size() > 1 ? InputTextOfNames(names) : names.value(0));
    emit Widgets->InFileNameEdit->editingFinished();
}

void SornLogic::OpenInputFile(const QString& fileName)
{
    Widgets->InFileNameEdit->setText(fileName);
    emit Widgets->InFileNameEdit->editingFinished();
}

void SornLogic::Changed_InFileName()
{
    // The rows made with the clip take one log at a time.
    const bool card = Card->Take(Widgets->InFileNameEdit->text());
    for (QWidget* row : {static_cast<QWidget*>(Widgets->OverlayNameEdit), static_cast<QWidget*>(Widgets->WriteOverlayButton),
                         static_cast<QWidget*>(Widgets->VideoCopyNameEdit), static_cast<QWidget*>(Widgets->WriteVideoCopyButton)})
        row->setEnabled(!card);
    if (card) {
        Preview->Forget();
        return;  // several logs: the list shows their flights
    }
    const QString input = Widgets->InFileNameEdit->text();  // a folder of one log: that log
    Widgets->InFileNameEdit->setStyleSheet(input.isEmpty() ? Widgets->StyleInput : Widgets->StyleChanged);

    // Both names are overwritten on every call, also names the user typed:
    // they always follow the input name.
    const OutputNames names = DeriveOutputNames(input);
    Widgets->OutSrtFileNameEdit->setText(names.Srt);
    Widgets->OutGpxFileNameEdit->setText(names.Gpx);

    const QString& outputStyle = names.Base.isEmpty() ? Widgets->StyleNone : Widgets->StyleChanged;
    Widgets->OutSrtFileNameEdit->setStyleSheet(outputStyle);
    Widgets->OutGpxFileNameEdit->setStyleSheet(outputStyle);
    for (const MainWindowWidgets::OutputRow& row : qAsConst(Widgets->OtherOutputs)) {
        row.NameEdit->setText(names.Base + QLatin1String(row.Kind->Suffix));
        row.NameEdit->setStyleSheet(outputStyle);
    }
    // The copy takes the clip's suffix: no name without a clip.
    const QString clip = names.Base.isEmpty() ? QString() : ClipForLog(input);
    Widgets->OverlayNameEdit->setText(names.Base.isEmpty() ? QString() : OverlayOutputName(input, QString()));
    Widgets->VideoCopyNameEdit->setText(clip.isEmpty() ? QString() : VideoCopyName(input, clip, QString()));
    Widgets->VideoCopyNameEdit->setPlaceholderText(names.Base.isEmpty() || !clip.isEmpty() ? QString() : NoVideoBesideLogText());
    for (QLineEdit* edit : {Widgets->OverlayNameEdit, Widgets->VideoCopyNameEdit})
        edit->setStyleSheet(edit->text().isEmpty() ? Widgets->StyleNone : outputStyle);
    Preview->Read(Widgets->Request());
}
