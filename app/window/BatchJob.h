#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

class BatchDialogs;
class FFmain;
class QCheckBox;
class QComboBox;
class QRadioButton;
class QWidget;

// A job for the headless batch mode: UTF-8 text, one KEY=VALUE a line, blank
// lines and lines starting with "#" ignored, applied from top to bottom.
// KEY is a control's name and the value goes through the control's own rules
// as a user's click or typing (followed by leaving the field) would; the keys
// videos, audios, pictures load a folder into that list, output sets the
// output folder and answers gives the answers to the questions.
class BatchJob {
public:
    enum ExitCode { Success = 0, SomeOutputsFailed = 1, Refused = 2 };

    BatchJob(FFmain &window, BatchDialogs &dialogs);

    // Reads the job file; false with a message when it cannot be read, is
    // not a regular file of at most 1 MiB or a line is not KEY=VALUE.
    bool load(const QString &path, QString *error);
    // Asked before every line that apply takes: true ends the job there.
    void setInterruption(std::function<bool()> interrupted) { m_interrupted = std::move(interrupted); }
    // Applies the lines in order; false with a message at the first unknown
    // key or impossible value (a value longer than its field takes, a path
    // with a control character), or when interrupted.
    bool apply(QString *error);
    // Presses the make button and waits for the run to end.
    ExitCode run();
    // Runs only the validation (its messages are printed).
    void validateOnly();
    // One line per named control, sorted by name, then the rows of the lists.
    QString stateReport() const;

    static QList<QWidget *> namedControls(const FFmain &window);
    // A seed as the job and the command line give it: a whole number from 0
    // to 2^64 - 1 in decimal.
    static std::optional<quint64> parseSeed(const QString &text);

private:
    // A job key that is not a control's name.
    struct KeyRule {
        QString key;
        std::function<bool(BatchJob &, const QString &value, QString *error)> apply;
    };
    static const QList<KeyRule> &keyRules();

    bool applyLine(const QString &key, const QString &value, QString *error);
    bool applyOutput(const QString &value, QString *error);
    bool applyAnswers(const QString &value, QString *error);
    bool applySeed(const QString &value, QString *error);
    bool applyOnePass(const QString &value, QString *error);
    bool applyToControl(QWidget *control, const QString &value, QString *error);
    bool applyRadio(QRadioButton *radio, const QString &value, QString *error);
    bool applyCheck(QCheckBox *check, const QString &value, QString *error);
    bool applyCombo(QComboBox *combo, const QString &value, QString *error);
    bool typeInto(QWidget *field, const QString &text, QString *error);
    bool loadFolder(int target, const QString &folder, QString *error);

    FFmain &m_window;
    BatchDialogs &m_dialogs;
    QList<QPair<QString, QString>> m_lines;
    QList<int> m_lineNumbers;
    std::function<bool()> m_interrupted;
};
