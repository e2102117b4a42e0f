#pragma once

#include <QList>
#include <QStringList>

class QAction;
class QMenu;
class QTextEdit;

// The "Placeholders" button's menu: a short menu of groups (block and
// times, position and way, speed and height, camera), each opening the
// entries of its placeholders with their meaning (and, once a flight has
// been read, their value there), so that it fits a 1024 x 768 screen.
// Choosing one inserts the placeholder at the cursor of `edit`; where the
// cursor stands after the pattern's closing empty line (which keeps the
// blocks apart in the file), the placeholder goes on a line of its own
// before it instead. The menu belongs to `edit`.
QMenu* MakePlaceholderMenu(QTextEdit* edit);

// The entries of the menu, one per placeholder, in the order of Placeholders().
QList<QAction*> PlaceholderActions(const QMenu* menu);

// Shows `values` (one per placeholder, in their order; empty entries and a
// short list show none) beside the meanings.
void SetPlaceholderValues(QMenu* menu, const QStringList& values);

// Inserts `name` at the cursor of `edit`, keeping the pattern's closing
// empty line last (see MakePlaceholderMenu).
void InsertPlaceholder(QTextEdit* edit, const QString& name);
