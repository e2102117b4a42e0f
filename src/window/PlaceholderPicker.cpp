#include "window/PlaceholderPicker.h"

#include "conversion/ConversionSettings.h"

#include <QAction>
#include <QMenu>
#include <QTextEdit>

QMenu* MakePlaceholderMenu(QTextEdit* edit)
{
    auto* menu = new QMenu(edit);
    menu->setObjectName(QStringLiteral("PlaceholderMenu"));
    for (const PlaceholderInfo& placeholder : Placeholders()) {
        const QString name = QLatin1String(placeholder.Name);
        QAction* action = menu->addAction(name);
        action->setData(name);
        QObject::connect(action, &QAction::triggered, edit, [edit, name] {
            edit->textCursor().insertText(name);
            edit->setFocus();
        });
    }
    SetPlaceholderValues(menu, {});
    return menu;
}

void SetPlaceholderValues(QMenu* menu, const QStringList& values)
{
    const QList<QAction*> actions = menu->actions();
    const std::vector<PlaceholderInfo>& placeholders = Placeholders();
    for (int i = 0; i < actions.size() && i < static_cast<int>(placeholders.size()); ++i) {
        QString text = QLatin1String(placeholders[static_cast<size_t>(i)].Name) + QLatin1Char('\t')
            + QLatin1String(placeholders[static_cast<size_t>(i)].Meaning);
        if (i < values.size() && !values[i].isEmpty())
            text += QStringLiteral(": ") + values[i];
        actions[i]->setText(text);
    }
}
