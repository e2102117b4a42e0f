#pragma once

#include "window/FlightView.h"
#include "window/MainWindowWidgets.h"

#include <QtTest>

#include <functional>

// Puts the window into each of its eight states (flight view, input
// patterns and other outputs each shown or hidden) on a 1024 x 768 screen
// (1016 x 700 less frame, title bar and panel), lets it lay out as the user
// would see it, and calls `check` with a text naming the state and the
// window's least size. `showView` shows the view with a flight in it.
inline void ForEachWindowState(MainWindowWidgets* w, const std::function<void(bool view)>& showView,
                               const std::function<void(bool view, const QString& where)>& check)
{
    for (int state = 0; state < 8; ++state) {
        const bool view = state & 1, patterns = state & 2, others = state & 4;
        if (w->AdjustInPatternsCheck->isChecked() != patterns)
            w->AdjustInPatternsCheck->click();
        if (w->OtherOutputsCheck->isChecked() != others)
            w->OtherOutputsCheck->click();
        showView(view);
        w->Window->resize(1016, 700);
        QTest::qWait(20);
        const QSize least = w->Window->minimumSizeHint();
        const QString where = QStringLiteral("view %1, patterns %2, other outputs %3: %4 x %5, view %6 px")
                                  .arg(view).arg(patterns).arg(others).arg(least.width()).arg(least.height())
                                  .arg(w->FlightPane->width());
        QVERIFY2(least.height() <= 700 && least.width() <= 1016, qPrintable(where));
        QVERIFY2(!view || w->FlightPane->width() > 800, qPrintable(where));
        check(view, where);
    }
}
