#pragma once

#include <QLineEdit>
#include <QScrollArea>

// The controls column of the main window as a scroll area that is as large
// as its contents wish, but never higher than the screen's available area
// less the window's frame and margins: on a low screen with every group
// shown, the column scrolls instead of pushing the window off the screen.
class ControlsScroll : public QScrollArea {
    Q_OBJECT

public:
    explicit ControlsScroll(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Narrow beside the view: the column asks for no more width than its least.
    bool Narrow = false;

private:
    int HeightCap() const;
};

// A file name field that, while it has no focus and its text does not fit,
// shows the name elided in the middle, so both the folder's start and the
// file's own name stay in sight. Editing shows the whole text as usual.
class ElidingLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Enter and Return press the focused push or tool button under `root`, as
// Space does (Qt leaves them to dialogs' default buttons).
void PressButtonsOnEnter(QWidget* root);
