#pragma once

#include <QLabel>

// A label that reports double-clicks (the fixed audio label opens its file
// dialog on one).
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
