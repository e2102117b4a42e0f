#include "window/QLineEditDnD.h"

#include "conversion/CardConversion.h"

#include <QByteArray>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

// File managers offer dropped files under this format, one address per line.
// The comparison is case-sensitive, as mime type lists are matched by Qt.
bool OffersUriList(const QMimeData* mime)
{
    return mime && mime->formats().contains(QStringLiteral("text/uri-list"), Qt::CaseSensitive);
}

}  // namespace

QLineEditDnD::QLineEditDnD(QWidget* parent)
    : QLineEdit(parent)
{
    setAcceptDrops(true);
}

void QLineEditDnD::dragEnterEvent(QDragEnterEvent* event)
{
    if (OffersUriList(event->mimeData())) {
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void QLineEditDnD::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!OffersUriList(mime)) {
        QLineEdit::dropEvent(event);
        return;
    }

    // Several local files are a card of clips (CardWindow.h).
    const QList<QUrl> urls = mime->urls();
    if (urls.size() > 1 && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        QStringList names;
        for (const QUrl& url : urls)
            names << url.toLocalFile();
        setText(InputTextOfNames(names));
        emit editingFinished();
        event->acceptProposedAction();
        return;
    }
    // Otherwise the whole payload is taken as one address: several
    // addresses give their joined list, which no action can open, rather
    // than a silently chosen first one. fromUtf8 of a QByteArray stops at a NUL.
    const QString payload = QString::fromUtf8(mime->data(QStringLiteral("text/uri-list"))).trimmed();
    const QUrl url(payload, QUrl::TolerantMode);
    setText(url.isLocalFile() ? url.toLocalFile() : url.toString());

    // Same-thread connection: the output names are derived before the drop
    // is accepted.
    emit editingFinished();
    event->acceptProposedAction();
}

void QLineEditDnD::focusOutEvent(QFocusEvent* event)
{
    // The base emits editingFinished on leaving only after an edit; the
    // field's contract is "leaving finishes the editing", so the signal is
    // made up for here, once. Opening the field's own context menu is no
    // leaving.
    bool emitted = false;
    const QMetaObject::Connection watch = connect(this, &QLineEdit::editingFinished, this, [&emitted] { emitted = true; });
    QLineEdit::focusOutEvent(event);
    disconnect(watch);
    if (!emitted && event->reason() != Qt::PopupFocusReason)
        emit editingFinished();
}
