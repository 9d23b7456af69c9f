#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A spinner bound to a text box: its arrows step the number in the box within
// a range and write it back as text, so the box's own rules run as if typed.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent = nullptr);

    int value() const;
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    QLineEdit *buddy() const { return m_buddy; }

public slots:
    void stepUp() { stepBy(1); }
    void stepDown() { stepBy(-1); }

private:
    void stepBy(int steps);

    QLineEdit *m_buddy;
    int m_minimum;
    int m_maximum;
};
