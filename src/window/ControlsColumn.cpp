// The controls column: its scroll area, the middle-eliding name fields
// and Enter on buttons.
#include "window/ControlsColumn.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>

ControlsScroll::ControlsScroll(QWidget* parent)
    : QScrollArea(parent)
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);  // Tab goes from the last control to the first
}

int ControlsScroll::HeightCap() const
{
    const QWidget* top = window();
    const QScreen* screen = top->screen();
    if (!screen)
        return QWIDGETSIZE_MAX;
    const int frame = top->frameGeometry().height() - top->height();
    // The window's own margins (4 px each side) and a title bar's height
    // when the window has not been framed yet.
    return screen->availableGeometry().height() - std::max(frame, 30) - 8;
}

// The scroll bar's width is asked for only when the column cannot but
// scroll: higher than the cap even at its least.
QSize ControlsScroll::sizeHint() const
{
    if (!widget())
        return QScrollArea::sizeHint();
    const QSize inner = widget()->sizeHint();
    const int bar = widget()->minimumSizeHint().height() > HeightCap() ? verticalScrollBar()->sizeHint().width() : 0;
    const int width = Narrow ? widget()->minimumSizeHint().width() : inner.width();
    return {width + bar, std::min(inner.height(), HeightCap())};
}

QSize ControlsScroll::minimumSizeHint() const
{
    if (!widget())
        return QScrollArea::minimumSizeHint();
    const QSize inner = widget()->minimumSizeHint();
    const int bar = inner.height() > HeightCap() ? verticalScrollBar()->sizeHint().width() : 0;
    return {inner.width() + bar, std::min(inner.height(), HeightCap())};
}

void ElidingLineEdit::paintEvent(QPaintEvent* event)
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect inside = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).adjusted(2, 0, -2, 0);
    if (hasFocus() || fontMetrics().horizontalAdvance(text()) <= inside.width())
        return QLineEdit::paintEvent(event);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideMiddle, inside.width()));
}

namespace {

class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button && (key == Qt::Key_Return || key == Qt::Key_Enter) && button->isEnabled()) {
                button->animateClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void PressButtonsOnEnter(QWidget* root)
{
    auto* filter = new EnterPresses(root);
    const QList<QAbstractButton*> buttons = root->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons) {
        if (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button))
            button->installEventFilter(filter);
    }
}
