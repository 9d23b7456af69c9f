#include "app/window/BatchJob.h"

#include "app/library/MediaPatterns.h"
#include "app/window/BatchDialogs.h"
#include "app/window/ClickableLabel.h"
#include "app/window/FFmain.h"
#include "app/window/FileAdding.h"
#include "app/window/OptionRules.h"
#include "app/window/ProgressPercent.h"
#include "app/window/RunDriver.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "app/window/UpDown.h"
#include "platform/SmallFileRead.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <algorithm>

namespace {

// A job is a few dozen short lines; anything much larger is no job file.
constexpr qint64 kMaxJobBytes = 1024 * 1024;
// Each control a few times over.
constexpr int kMaxJobLines = 4096;
// Longer than any path the systems take.
constexpr int kMaxPathCharacters = 4096;

Qt::Key keyFor(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return Qt::Key(Qt::Key_0 + (c.unicode() - '0'));
    if (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('z'))
        return Qt::Key(Qt::Key_A + (c.toLower().unicode() - 'a'));
    if (c == QLatin1Char('-'))
        return Qt::Key_Minus;
    if (c == QLatin1Char('.'))
        return Qt::Key_Period;
    if (c == QLatin1Char(' '))
        return Qt::Key_Space;
    return Qt::Key_unknown;
}

// A check box's value as the job and the report write it: 0 unticked,
// 1 ticked, 2 grey (Qt numbers the last two the other way round).
int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

bool parseInt(const QString &text, int *value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

QString folderWithSeparator(const QString &folder)
{
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    return absolute.endsWith(QLatin1Char('/')) ? absolute : absolute + QLatin1Char('/');
}

}  // namespace

std::optional<quint64> BatchJob::parseSeed(const QString &text)
{
    bool ok = false;
    const quint64 seed = text.trimmed().toULongLong(&ok);
    if (!ok || text.trimmed().startsWith(QLatin1Char('-')) || text.trimmed().startsWith(QLatin1Char('+')))
        return std::nullopt;
    return seed;
}

BatchJob::BatchJob(FFmain &window, BatchDialogs &dialogs) : m_window(window), m_dialogs(dialogs)
{
}

bool BatchJob::load(const QString &path, QString *error)
{
    const SmallFileRead read = ReadSmallFile(path, kMaxJobBytes);
    switch (read.outcome) {
    case SmallFileRead::Outcome::Read:
        break;
    case SmallFileRead::Outcome::NotAFile:
        *error = QStringLiteral("任务文件不是普通文件（设备、管道或目录），不予读取：") + path;
        return false;
    case SmallFileRead::Outcome::TooLarge:
        *error = QStringLiteral("任务文件大于1MB，不是任务文件：") + path;
        return false;
    case SmallFileRead::Outcome::Missing:
    case SmallFileRead::Outcome::Unreadable:
        *error = QStringLiteral("无法读取任务文件：") + path;
        return false;
    }
    const QStringList lines = QString::fromUtf8(read.content).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("任务文件第%1行不是“名称=值”的格式：").arg(i + 1) + line;
            return false;
        }
        if (m_lines.size() >= kMaxJobLines) {
            *error = QStringLiteral("任务文件超过%1行，不是任务文件。").arg(kMaxJobLines);
            return false;
        }
        m_lines.append({line.left(equals).trimmed(), line.mid(equals + 1)});
        m_lineNumbers.append(i + 1);
    }
    return true;
}

bool BatchJob::apply(QString *error)
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_interrupted && m_interrupted()) {
            *error = QStringLiteral("任务已中断。");
            return false;
        }
        QString lineError;
        if (!applyLine(m_lines.at(i).first, m_lines.at(i).second, &lineError)) {
            *error = QStringLiteral("任务文件第%1行：").arg(m_lineNumbers.at(i)) + lineError;
            return false;
        }
    }
    return true;
}

bool BatchJob::typeInto(QWidget *field, const QString &text, QString *error)
{
    QLineEdit *edit = qobject_cast<QLineEdit *>(field);
    if (!edit) {
        if (auto *combo = qobject_cast<QComboBox *>(field))
            edit = combo->lineEdit();
    }
    if (!edit) {
        *error = field->objectName() + QStringLiteral("不能输入文字");
        return false;
    }
    // Refused at once: typing it key by key would take hours.
    if (text.size() > edit->maxLength()) {
        *error = field->objectName() + QStringLiteral("的值过长（最多%1个字符）").arg(edit->maxLength());
        return false;
    }
    // Typed as a user would: the focus into the field, select everything,
    // then one key press per character, so the field's key filter sees every
    // character and the field's rules know the user is typing into it.
    field->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QCoreApplication::sendEvent(edit, &erase);
    if (!edit->text().isEmpty())
        edit->clear();
    const int beepsBefore = m_dialogs.beeps();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, keyFor(c), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, keyFor(c), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(edit, &release);
    }
    if (m_dialogs.beeps() != beepsBefore) {
        *error = field->objectName() + QStringLiteral("不接受值“") + text + QStringLiteral("”");
        return false;
    }
    // Leaving the field runs its validation; the focus has moved on by then.
    field->clearFocus();
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &leave);
    if (field != edit) {
        QFocusEvent leaveEdit(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &leaveEdit);
    }
    return true;
}

bool BatchJob::loadFolder(int target, const QString &folder, QString *error)
{
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("目录不存在：") + folder;
        return false;
    }
    MainControls &c = m_window.controls();
    c.CmbObject->setCurrentIndex(target);
    m_dialogs.queueFolder(folderWithSeparator(folder));
    m_window.adding().ChooseFolder();
    if (target != 3)
        m_window.adding().LoadFolder();
    return true;
}

// The keys that are not control names, each with what it does.
const QList<BatchJob::KeyRule> &BatchJob::keyRules()
{
    static const QList<KeyRule> rules = {
        {QStringLiteral("videos"),
         [](BatchJob &job, const QString &value, QString *error) { return job.loadFolder(0, value, error); }},
        {QStringLiteral("audios"),
         [](BatchJob &job, const QString &value, QString *error) { return job.loadFolder(1, value, error); }},
        {QStringLiteral("pictures"),
         [](BatchJob &job, const QString &value, QString *error) { return job.loadFolder(2, value, error); }},
        {QStringLiteral("output"),
         [](BatchJob &job, const QString &value, QString *error) { return job.applyOutput(value, error); }},
        {QStringLiteral("answers"),
         [](BatchJob &job, const QString &value, QString *error) { return job.applyAnswers(value, error); }},
        {QStringLiteral("seed"),
         [](BatchJob &job, const QString &value, QString *error) { return job.applySeed(value, error); }},
        {QStringLiteral("onepass"),
         [](BatchJob &job, const QString &value, QString *error) { return job.applyOnePass(value, error); }},
    };
    return rules;
}

bool BatchJob::applyLine(const QString &key, const QString &value, QString *error)
{
    static const QStringList pathKeys{QStringLiteral("videos"), QStringLiteral("audios"),
                                      QStringLiteral("pictures"), QStringLiteral("output"),
                                      QStringLiteral("LNewAu")};
    if (pathKeys.contains(key) && value.size() > kMaxPathCharacters) {
        *error = key + QStringLiteral("的路径过长（最多%1个字符）").arg(kMaxPathCharacters);
        return false;
    }
    if (pathKeys.contains(key) && MediaPatterns::holdsControlCharacter(value)) {
        *error = key + QStringLiteral("的路径中含有控制字符，不能使用：") + value;
        return false;
    }
    for (const KeyRule &rule : keyRules()) {
        if (rule.key == key)
            return rule.apply(*this, value, error);
    }
    QWidget *control = nullptr;
    for (QWidget *w : namedControls(m_window)) {
        if (w->objectName() == key)
            control = w;
    }
    if (!control) {
        *error = QStringLiteral("未知的名称：") + key;
        return false;
    }
    return applyToControl(control, value, error);
}

bool BatchJob::applyOutput(const QString &value, QString *error)
{
    if (!QFileInfo(value).isDir()) {
        *error = QStringLiteral("输出目录不存在：") + value;
        return false;
    }
    return loadFolder(3, value, error);
}

bool BatchJob::applyAnswers(const QString &value, QString *error)
{
    static const QPair<QLatin1String, DialogAnswer> words[] = {
        {QLatin1String("yes"), DialogAnswer::Yes},
        {QLatin1String("no"), DialogAnswer::No},
        {QLatin1String("cancel"), DialogAnswer::Cancel},
        {QLatin1String("ok"), DialogAnswer::Ok},
    };
    QList<DialogAnswer> answers;
    for (const QString &word : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString w = word.trimmed().toLower();
        const auto known = std::find_if(std::begin(words), std::end(words),
                                        [&w](const auto &entry) { return entry.first == w; });
        if (known == std::end(words)) {
            *error = QStringLiteral("未知的回答：") + word;
            return false;
        }
        answers.append(known->second);
    }
    m_dialogs.setAnswers(answers);
    return true;
}

bool BatchJob::applySeed(const QString &value, QString *error)
{
    const std::optional<quint64> seed = parseSeed(value);
    if (!seed) {
        *error = QStringLiteral("seed只能是非负整数：") + value;
        return false;
    }
    m_window.runDriver().batchOptions().seed = seed;
    return true;
}

bool BatchJob::applyOnePass(const QString &value, QString *error)
{
    int number = 0;
    if (!parseInt(value, &number) || (number != 0 && number != 1)) {
        *error = QStringLiteral("onepass只能是0或1");
        return false;
    }
    m_window.runDriver().batchOptions().fourSourcePipeline =
        number == 1 ? FourSourcePipeline::OnePass : FourSourcePipeline::CutsThenComposition;
    return true;
}

bool BatchJob::applyToControl(QWidget *control, const QString &value, QString *error)
{
    if (control == m_window.controls().LNewAu) {
        if (!QFileInfo(value).isFile()) {
            *error = QStringLiteral("音频文件不存在：") + value;
            return false;
        }
        m_dialogs.queueFiles({QFileInfo(value).absoluteFilePath()});
        m_window.lists().ChooseFixedAudio();
        return true;
    }
    const QString key = control->objectName();
    if (!control->isEnabled()) {
        *error = key + QStringLiteral("当前不可用，不能设置");
        return false;
    }
    if (auto *radio = qobject_cast<QRadioButton *>(control))
        return applyRadio(radio, value, error);
    if (auto *check = qobject_cast<QCheckBox *>(control))
        return applyCheck(check, value, error);
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return applyCombo(combo, value, error);
    if (qobject_cast<QLineEdit *>(control))
        return typeInto(control, value, error);
    *error = key + QStringLiteral("不能在任务中设置");
    return false;
}

bool BatchJob::applyRadio(QRadioButton *radio, const QString &value, QString *error)
{
    int number = 0;
    if (!parseInt(value, &number) || (number != 0 && number != 1)) {
        *error = radio->objectName() + QStringLiteral("只能是0或1");
        return false;
    }
    if (number == 1 && !radio->isChecked())
        radio->click();
    return true;
}

bool BatchJob::applyCheck(QCheckBox *check, const QString &value, QString *error)
{
    int number = 0;
    if (!parseInt(value, &number) || number < 0 || number > (check->isTristate() ? 2 : 1)) {
        *error = check->objectName() + QStringLiteral("只能是0或1");
        return false;
    }
    // Clicking cycles the box the way a user's clicks would, at most
    // three times (a rule may refuse a state).
    for (int clicks = 0; clicks < 3 && checkValue(check) != number; ++clicks)
        check->click();
    if (checkValue(check) != number) {
        *error = check->objectName() + QStringLiteral("不接受值") + value;
        return false;
    }
    return true;
}

bool BatchJob::applyCombo(QComboBox *combo, const QString &value, QString *error)
{
    int number = 0;
    if (combo->isEditable() && (!parseInt(value, &number) || value.contains(QLatin1Char('x'))))
        return typeInto(combo, value, error);
    if (!parseInt(value, &number) || number < 0 || number >= combo->count()) {
        *error = combo->objectName() + QStringLiteral("没有第%1项").arg(value);
        return false;
    }
    m_window.options().pickEntry(combo, number);
    return true;
}

BatchJob::ExitCode BatchJob::run()
{
    // An update replaces the program under a job nobody watches: a job never
    // starts one, it is refused until the program has been updated.
    m_window.awaitVersionCheck();
    if (m_window.controls().CmdUpdate->isEnabled()) {
        m_dialogs.printLine(QStringLiteral("请先更新方能使用！"));
        return Refused;
    }
    RunDriver &driver = m_window.runDriver();
    m_window.controls().CmdDo->click();
    const RunDriver::Summary &summary = driver.lastSummary();
    if (!summary.started)
        return Refused;
    return summary.failed > 0 || summary.stopped ? SomeOutputsFailed : Success;
}

void BatchJob::validateOnly()
{
    m_window.runDriver().validateRequest();
}

QList<QWidget *> BatchJob::namedControls(const FFmain &window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        controls.append(w);
    }
    std::sort(controls.begin(), controls.end(),
              [](QWidget *a, QWidget *b) { return a->objectName() < b->objectName(); });
    return controls;
}

QString BatchJob::stateReport() const
{
    QString report;
    for (QWidget *w : namedControls(m_window)) {
        QString value;
        if (auto *check = qobject_cast<QCheckBox *>(w))
            value = QString::number(checkValue(check));
        else if (auto *radio = qobject_cast<QRadioButton *>(w))
            value = radio->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            value = QString::number(combo->currentIndex()) + QLatin1Char(':') + combo->currentText();
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            value = edit->text();
        else if (auto *label = qobject_cast<QLabel *>(w))
            value = label->text();
        else if (auto *upDown = qobject_cast<UpDown *>(w))
            value = QString::number(upDown->value());
        else if (auto *button = qobject_cast<QPushButton *>(w))
            value = button->text();
        else if (auto *bar = qobject_cast<QProgressBar *>(w))
            value = QString::number(ProgressPercent::of(bar));
        else if (auto *grid = qobject_cast<SourceGrid *>(w))
            value = QString::number(grid->entryCount());
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            value = group->title();
        value.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        report += w->objectName() + QLatin1Char('\t') + value + QLatin1Char('\t')
                  + (w->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"))
                  + QLatin1Char('\t')
                  + (w->isVisibleTo(&m_window) ? QStringLiteral("visible") : QStringLiteral("hidden"))
                  + QLatin1Char('\n');
    }
    const MainControls &c = m_window.controls();
    const QPair<const char *, SourceGrid *> grids[] = {{"MSFV", c.MSFV}, {"MSFA", c.MSFA}, {"MSFP", c.MSFP}};
    for (const auto &[name, grid] : grids) {
        for (int entry = 1; entry <= grid->entryCount(); ++entry)
            report += QString::fromLatin1(name) + QLatin1Char('\t') + QString::number(entry)
                      + QLatin1Char('\t') + grid->entryCells(entry).join(QLatin1Char('\t'))
                      + QLatin1Char('\n');
    }
    return report;
}
