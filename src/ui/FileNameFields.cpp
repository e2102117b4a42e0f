// The controller's slots behind the three file-name fields: browsing for the
// input log and deriving both output names from it; and the input name
// given on the window program's command line.
#include "app/SornLogic.h"

#include "output/OutputFiles.h"
#include "ui/MainWindowWidgets.h"
#include "ui/QLineEditDnD.h"

#include <QFileDialog>
#include <QLineEdit>

void SornLogic::Pressed_GetSrtName()
{
    const QString name = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open .SRT file"), QString(),
                                                      QStringLiteral("Flight logs and videos (*.srt *.mp4 *.mov)"));
    // A cancelled dialog returns an empty name, which empties the field on
    // purpose: the derivation then clears the output names' colouring too.
    Widgets->InFileNameEdit->setText(name);
    emit Widgets->InFileNameEdit->editingFinished();
}

void SornLogic::OpenInputFile(const QString& fileName)
{
    Widgets->InFileNameEdit->setText(fileName);
    emit Widgets->InFileNameEdit->editingFinished();
}

void SornLogic::Changed_InFileName()
{
    const QString input = Widgets->InFileNameEdit->text();
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
}
