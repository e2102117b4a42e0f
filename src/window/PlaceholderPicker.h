#pragma once

#include <QStringList>

class QMenu;
class QTextEdit;

// The "Placeholders" button's menu: one entry per placeholder of the output
// pattern with its meaning (and, once a flight has been read, its value
// there); choosing one inserts the placeholder at the cursor of `edit`.
// The menu belongs to `edit`.
QMenu* MakePlaceholderMenu(QTextEdit* edit);

// Shows `values` (one per placeholder, in their order; empty entries and a
// short list show none) beside the meanings.
void SetPlaceholderValues(QMenu* menu, const QStringList& values);
