// The controls column: its scroll area, its narrow arrangement beside a
// wide flight view, the middle-eliding name fields and Enter on buttons.
#include "window/ControlsColumn.h"

#include "window/MainWindowWidgets.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
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

void SetDirection(QWidget* row, bool narrow)
{
    if (auto* box = row ? qobject_cast<QBoxLayout*>(row->layout()) : nullptr)
        box->setDirection(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

void Place(QGridLayout* grid, QWidget* widget, int row, int column, int columns = 1)
{
    grid->removeWidget(widget);
    grid->addWidget(widget, row, column, 1, columns);
}

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

void MainWindowWidgets::SetControlsNarrow(bool narrow)
{
    if (narrow == ControlsNarrow)
        return;
    ControlsNarrow = narrow;
    for (const char* name : {"InFileRow", "AdjustRow", "OutSrtRow", "OutGpxRow", "AboutRow", "OutPatternCaption"})
        SetDirection(Window->findChild<QWidget*>(QLatin1String(name)), narrow);
    LogFormatCombo->setMinimumContentsLength(narrow ? 6 : 16);
    // A line edit asks for room by its font's widest glyph; narrow, the
    // fields make do with less (they scroll their text as ever).
    const QList<QLineEdit*> edits = Window->findChild<QWidget*>(QStringLiteral("ControlsSplitter"))->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        edit->setMinimumWidth(narrow ? 40 : 0);
    // The pattern group's title is the one text wider than the narrow
    // column: it is cut there (its tooltip holds it whole).
    InPatternGroup->setMinimumWidth(narrow ? 1 : 0);
    InPatternGroup->setToolTip(narrow ? InPatternGroup->title() : QString());
    // The one caption wider than the narrow column breaks in two.
    UseHeightCheck->setText(narrow ? QStringLiteral("Use height for\nspeed and way") : QStringLiteral("Use height for speed and way"));

    // Conversion settings: two a row, or one a row.
    auto* settings = qobject_cast<QGridLayout*>(WayBeforeEdit->parentWidget()->layout());
    const QList<QWidget*> captions = {WayBeforeEdit->property("caption").value<QWidget*>(),
                                      SmoothGpsEdit->property("caption").value<QWidget*>(),
                                      TimeZoneEdit->property("caption").value<QWidget*>(),
                                      PrivacyRadiusEdit->property("caption").value<QWidget*>()};
    Place(settings, captions[0], 0, 0);
    Place(settings, WayBeforeEdit, 0, 1);
    Place(settings, captions[1], narrow ? 1 : 0, narrow ? 0 : 2);
    Place(settings, SmoothGpsEdit, narrow ? 1 : 0, narrow ? 1 : 3);
    Place(settings, UseHeightCheck, narrow ? 2 : 1, 0, 2);
    Place(settings, captions[2], narrow ? 3 : 1, narrow ? 0 : 2);
    Place(settings, TimeZoneEdit, narrow ? 3 : 1, narrow ? 1 : 3);
    Place(settings, captions[3], narrow ? 4 : 2, narrow ? 0 : 2);
    Place(settings, PrivacyRadiusEdit, narrow ? 4 : 2, narrow ? 1 : 3);
    Place(settings, OutPatternCaption, narrow ? 5 : 2, 0, 2);

    // Other outputs: the write button right of its field, or under it.
    auto* others = qobject_cast<QGridLayout*>(OtherOutputsGroup->layout());
    for (int i = 0; i < OtherOutputs.size(); ++i) {
        const OutputRow& row = OtherOutputs[i];
        Place(others, row.NameEdit->property("caption").value<QWidget*>(), narrow ? 2 * i : i, 0);
        Place(others, row.NameEdit, narrow ? 2 * i : i, 1);
        Place(others, row.WriteButton, narrow ? 2 * i + 1 : i, narrow ? 0 : 2, narrow ? 2 : 1);
    }
    if (KmlAltitudeCombo)  // under the rows
        Place(others, KmlAltitudeCombo, narrow ? 2 * OtherOutputs.size() : OtherOutputs.size(), narrow ? 0 : 1, 2);
    if (auto* splitter = Window->findChild<QSplitter*>(QStringLiteral("ControlsSplitter")))
        splitter->refresh();
    auto* column = Window->findChild<ControlsScroll*>(QStringLiteral("ControlsScroll"));
    column->Narrow = narrow;
    column->updateGeometry();
}
