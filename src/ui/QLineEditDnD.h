#pragma once

#include <QLineEdit>

class QDragEnterEvent;
class QDropEvent;

// A line edit that takes a file dropped from the desktop's file manager: the
// field gets the file's local path (or, for anything that is not a local
// file, the dropped address as text) and then emits editingFinished, so a
// drop acts like typing the name and pressing Return. Drops that offer no
// "text/uri-list" get the standard line-edit handling.
class QLineEditDnD : public QLineEdit {
    Q_OBJECT

public:
    explicit QLineEditDnD(QWidget* parent = nullptr);
    ~QLineEditDnD() override = default;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
