#include "app/window/UpDown.h"

#include "app/base/NumberText.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent),
      m_buddy(buddy),
      m_minimum(minimum),
      m_maximum(maximum)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *up = new QToolButton(this);
    auto *down = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(down, &QToolButton::clicked, this, &UpDown::stepDown);
}

int UpDown::value() const
{
    const int v = int(LeadingNumber(m_buddy->text()));
    return std::clamp(v, m_minimum, m_maximum);
}

void UpDown::stepBy(int steps)
{
    const int next = std::clamp(value() + steps, m_minimum, m_maximum);
    m_buddy->setText(QString::number(next));
}
