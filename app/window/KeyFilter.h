#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class DialogService;
class QKeyEvent;
class QWidget;

// The key filter of the numeric fields: a typed character the field does not
// take is dropped and the beep sounds. Digits and backspace always pass, plus
// the field's own separator ("-" in ranges, "x" in sizes). Keys that type
// nothing (arrows, Delete, Tab, Alt mnemonics, copy) pass untouched; paste
// is refused, since it would bring in characters no key could type.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    explicit KeyFilter(DialogService &dialogs, QObject *parent = nullptr);

    void watch(QWidget *field, const QString &separators = QString());

    enum class Verdict { Pass, Refuse };
    static Verdict judge(const QKeyEvent &event, const QString &separators);
    static bool takesText(const QString &text, const QString &separators);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DialogService &m_dialogs;
    QHash<QObject *, QString> m_separators;
};
