#include "app/window/ClickableLabel.h"

#include <QMouseEvent>

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (isEnabled())
        emit doubleClicked();
}
