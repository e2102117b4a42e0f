#include "window/PlaceholderPicker.h"

#include "conversion/ConversionSettings.h"

#include <QAction>
#include <QMenu>
#include <QTextEdit>

namespace {

enum class Group { BlockAndTimes, PositionAndWay, SpeedAndHeight, Camera, Count };

const char* GroupTitle(Group group)
{
    switch (group) {
    case Group::BlockAndTimes: return "Block and times";
    case Group::PositionAndWay: return "Position and way";
    case Group::SpeedAndHeight: return "Speed and height";
    case Group::Camera: return "Camera";
    case Group::Count: break;
    }
    return "";
}

// Every placeholder has its group: a new one that has none does not build.
Group GroupOf(Placeholder placeholder)
{
    switch (placeholder) {
    case Placeholder::Id:
    case Placeholder::SrtTime:
    case Placeholder::FlyTime:
    case Placeholder::Date:
    case Placeholder::Time:
    case Placeholder::TimeUtc: return Group::BlockAndTimes;
    case Placeholder::Gps:
    case Placeholder::Home:
    case Placeholder::Lat:
    case Placeholder::Lon:
    case Placeholder::Distance:
    case Placeholder::DistanceFt:
    case Placeholder::Way:
    case Placeholder::WayKm:
    case Placeholder::WayMi: return Group::PositionAndWay;
    case Placeholder::SpeedMs:
    case Placeholder::SpeedKmh:
    case Placeholder::SpeedMph:
    case Placeholder::SpeedKnots:
    case Placeholder::VSpeed:
    case Placeholder::Barometer:
    case Placeholder::HeightFt:
    case Placeholder::Altitude: return Group::SpeedAndHeight;
    case Placeholder::Iso:
    case Placeholder::Shutter:
    case Placeholder::FNumber:
    case Placeholder::Ev:
    case Placeholder::FocalLength:
    case Placeholder::ColorTemp:
    case Placeholder::DigitalZoom: return Group::Camera;
    }
    return Group::BlockAndTimes;
}

}  // namespace

QMenu* MakePlaceholderMenu(QTextEdit* edit)
{
    auto* menu = new QMenu(edit);
    menu->setObjectName(QStringLiteral("PlaceholderMenu"));
    std::vector<QMenu*> groups;
    for (int g = 0; g < int(Group::Count); ++g) {
        groups.push_back(menu->addMenu(QLatin1String(GroupTitle(Group(g)))));
        groups.back()->setObjectName(QStringLiteral("PlaceholderGroup%1").arg(g));
        groups.back()->setToolTipsVisible(true);
    }
    for (const PlaceholderInfo& placeholder : Placeholders()) {
        const QString name = QLatin1String(placeholder.Name);
        QAction* action = groups[std::size_t(GroupOf(placeholder.Id))]->addAction(name);
        action->setData(name);
        QObject::connect(action, &QAction::triggered, edit, [edit, name] {
            InsertPlaceholder(edit, name);
            edit->setFocus();
        });
    }
    SetPlaceholderValues(menu, {});
    return menu;
}

QList<QAction*> PlaceholderActions(const QMenu* menu)
{
    QList<QAction*> entries;
    for (const PlaceholderInfo& placeholder : Placeholders()) {
        const QList<QAction*> groups = menu->actions();
        for (const QAction* group : groups) {
            const QList<QAction*> actions = group->menu() ? group->menu()->actions() : QList<QAction*>();
            for (QAction* action : actions) {
                if (action->data().toString() == QLatin1String(placeholder.Name))
                    entries << action;
            }
        }
    }
    return entries;
}

void SetPlaceholderValues(QMenu* menu, const QStringList& values)
{
    // A long entry keeps the meaning's first part beside its value (a
    // cue's value with its form spelled out would take most of a 1024 px
    // screen); the whole meaning is the entry's tooltip.
    constexpr int kLongest = 48;
    const QList<QAction*> actions = PlaceholderActions(menu);
    const std::vector<PlaceholderInfo>& placeholders = Placeholders();
    for (int i = 0; i < actions.size() && i < static_cast<int>(placeholders.size()); ++i) {
        QString meaning = QLatin1String(placeholders[static_cast<size_t>(i)].Meaning);
        actions[i]->setToolTip(meaning);
        if (i < values.size() && !values[i].isEmpty()) {
            if (meaning.size() + values[i].size() + 2 > kLongest)
                meaning = meaning.section(QStringLiteral(", "), 0, 0);
            meaning += QStringLiteral(": ") + values[i];
        }
        actions[i]->setText(QLatin1String(placeholders[static_cast<size_t>(i)].Name) + QLatin1Char('\t') + meaning);
    }
}

void InsertPlaceholder(QTextEdit* edit, const QString& name)
{
    // The edit holds line feeds only, whatever the pattern's line ends.
    QTextCursor cursor = edit->textCursor();
    const QString text = edit->toPlainText();
    int content = text.size();
    while (content > 0 && text[content - 1] == QLatin1Char('\n'))
        --content;
    const int at = cursor.position();
    const bool closingLine = text.size() - content >= 2;
    if (closingLine && at > content && text[at - 1] == QLatin1Char('\n')) {
        // After the last line: a line of its own, the closing empty line after it.
        cursor.setPosition(content);
        cursor.setPosition(text.size(), QTextCursor::KeepAnchor);
        const QString lineEnds = text.mid(content);
        cursor.insertText((content > 0 ? QStringLiteral("\n") : QString()) + name + lineEnds);
        cursor.setPosition(cursor.position() - lineEnds.size());
        edit->setTextCursor(cursor);
        return;
    }
    cursor.insertText(name);
}
