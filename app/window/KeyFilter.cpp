#include "app/window/KeyFilter.h"

#include "platform/DialogService.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

KeyFilter::KeyFilter(DialogService &dialogs, QObject *parent) : QObject(parent), m_dialogs(dialogs) {}

void KeyFilter::watch(QWidget *field, const QString &separators)
{
    m_separators.insert(field, separators);
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this](QObject *gone) { m_separators.remove(gone); });
}

bool KeyFilter::takesText(const QString &text, const QString &separators)
{
    for (const QChar c : text) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && !separators.contains(c))
            return false;
    }
    return true;
}

KeyFilter::Verdict KeyFilter::judge(const QKeyEvent &event, const QString &separators)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Verdict::Pass;
    default:
        break;
    }
    if (event.matches(QKeySequence::Paste))
        return Verdict::Refuse;
    // Shortcuts and mnemonics type nothing into the field.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return Verdict::Pass;
    const QString text = event.text();
    if (text.isEmpty())
        return Verdict::Pass;
    return takesText(text, separators) ? Verdict::Pass : Verdict::Refuse;
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    const auto found = m_separators.constFind(watched);
    if (found == m_separators.constEnd())
        return QObject::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        if (judge(*static_cast<QKeyEvent *>(event), *found) == Verdict::Refuse) {
            m_dialogs.beep();
            return true;
        }
    } else if (event->type() == QEvent::InputMethod) {
        // Text committed by an input method is typed text as well.
        const auto *input = static_cast<QInputMethodEvent *>(event);
        if (input->preeditString().isEmpty() && !input->commitString().isEmpty()
            && !takesText(input->commitString(), *found)) {
            m_dialogs.beep();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
