#pragma once

#include <QLineEdit>

class QDragEnterEvent;
class QDropEvent;
class QFocusEvent;

// A line edit that takes a file dropped from the desktop's file manager: the
// field gets the file's local path (or, for anything that is not a local
// file, the dropped address as text) and then emits editingFinished, so a
// drop acts like typing the name and pressing Return. Drops that offer no
// "text/uri-list" get the standard line-edit handling. Leaving the field
// emits editingFinished too, also when its text was not edited.
class QLineEditDnD : public QLineEdit {
    Q_OBJECT

public:
    explicit QLineEditDnD(QWidget* parent = nullptr);
    ~QLineEditDnD() override = default;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
