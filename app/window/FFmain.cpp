#include "app/window/FFmain.h"

#include "app/update/ProgramUpdate.h"
#include "app/update/UpdateServer.h"
#include "app/window/ClickableLabel.h"
#include "app/window/FileAdding.h"
#include "app/window/OptionRules.h"
#include "app/window/ProgressPercent.h"
#include "app/window/RunDriver.h"
#include "app/window/SourceGrid.h"
#include "app/window/SourceListOps.h"
#include "app/window/UpDown.h"
#include "app/window/UpdateProgressDialog.h"
#include "platform/DialogService.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QCheckBox *checkBox(const char *name, const QString &caption, QWidget *parent)
{
    return named(new QCheckBox(caption, parent), name);
}

QLineEdit *textBox(const char *name, int widthPixels, QWidget *parent)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setFixedWidth(widthPixels);
    return edit;
}

QComboBox *comboBox(const char *name, const QStringList &items, QWidget *parent)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    return combo;
}

QLabel *plainLabel(const QString &caption, QWidget *parent)
{
    return new QLabel(caption, parent);
}

}  // namespace

FFmain::FFmain(const WindowServices &services, QWidget *parent) : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("FFmain"));
    setWindowTitle(windowTitleText());
    m_state.programFolder = services.programFolder;
    m_state.workRoot = services.workRoot;
    m_state.dataFolder = services.dataFolder;
    buildUi();

    m_lists = new SourceListOps(m_controls, m_state, *services.dialogs, *services.prober, this);
    m_options = new OptionRules(m_controls, m_state, *services.dialogs, *m_lists, this);
    m_adding = new FileAdding(m_controls, m_state, *services.dialogs, *services.prober, *m_lists, this);
    connect(m_adding, &FileAdding::statusText, this, &FFmain::setStatusText);
    m_run = new RunDriver(
        m_controls, m_state, m_services, *m_options, *m_lists, *m_adding,
        [this](const QString &text) { setStatusText(text); }, this);
    m_run->setVersionCheckWait([this] { awaitVersionCheck(); });
    connect(m_controls.CmdUpdate, &QPushButton::clicked, this, &FFmain::UpdateProgram);
    FormLoad();
}

FFmain::~FFmain()
{
    FormTerminate();
}

void FFmain::FormLoad()
{
    // Batch state, the first entry of every list box, no selected rows.
    m_options->applyStartState();
    // The image library keeps nothing until a picture is loaded: there is
    // nothing to start. The grids carry their headers and the add dialog its
    // patterns from construction; the folders come from the services.
    QDir().mkpath(m_state.dataFolder);
    if (!m_services.updateBaseUrl.isValid())
        return;
    const QString notePath = m_state.dataFolder + QStringLiteral("Info.txt");
    m_versionCheck =
        new VersionCheck(UpdateServer::fileUrl(m_services.updateBaseUrl, UpdateServer::noteFileName()),
                         notePath, m_controls.TV->text(), VersionCheck::DefaultTimeLimit, this);
    connect(m_versionCheck, &VersionCheck::finished, this, &FFmain::onVersionVerdict);
    m_versionCheck->start();
}

void FFmain::onVersionVerdict(VersionCheck::Verdict verdict)
{
    if (verdict != VersionCheck::Verdict::UpdateDue)
        return;
    QPushButton *update = m_controls.CmdUpdate;
    update->setEnabled(true);
    QPalette red = update->palette();
    red.setColor(QPalette::Button, QColor(255, 0, 0));
    update->setPalette(red);
    update->setAutoFillBackground(true);
}

void FFmain::awaitVersionCheck()
{
    if (!m_versionCheck || m_versionCheck->verdict() != VersionCheck::Verdict::Pending)
        return;
    // Events flow while waiting: a second press of the make button must not
    // start a second run meanwhile.
    const bool makeEnabled = m_controls.CmdDo->isEnabled();
    m_controls.CmdDo->setEnabled(false);
    m_versionCheck->waitForVerdict();
    m_controls.CmdDo->setEnabled(makeEnabled);
}

VersionCheck::Verdict FFmain::versionVerdict() const
{
    return m_versionCheck ? m_versionCheck->verdict() : VersionCheck::Verdict::NoAnswer;
}

void FFmain::FormUnload(bool &cancel)
{
    // The question; on OK a running add, load or run ends, and a run ends
    // the tools it started and deletes its workspace.
    cancel = !m_run->confirmClose();
    if (!cancel)
        m_images.shutDown();
}

void FFmain::FormTerminate()
{
    m_images.shutDown();
}

void FFmain::UpdateProgram()
{
    if (!m_controls.CmdUpdate->isEnabled()) {
        m_services.dialogs->beep();
        return;
    }
    const bool wasVisible = isVisible();
    hide();
    UpdateProgressDialog progress;
    ProgramUpdate update(
        {m_services.updateBaseUrl, m_state.programFolder, m_state.dataFolder, windowTitleText()},
        *m_services.dialogs, &progress);
    if (update.run() == ProgramUpdate::Outcome::HandedOver) {
        m_handedOver = true;
        emit programEndRequested();
        return;
    }
    if (wasVisible)
        show();
}

void FFmain::setStatusText(const QString &text)
{
    if (m_controls.StbPanel[3]->text() == text)
        return;
    m_controls.StbPanel[3]->setText(text);
    emit statusTextChanged(text);
}

QString FFmain::statusText() const
{
    return m_controls.StbPanel[3]->text();
}

void FFmain::closeEvent(QCloseEvent *event)
{
    // After the hand-over the program just ends.
    bool cancel = false;
    if (!m_handedOver)
        FormUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void FFmain::buildUi()
{
    MainControls &c = m_controls;
    auto *central = new QWidget(this);
    setCentralWidget(central);
    auto *root = new QVBoxLayout(central);
    root->setContentsMargins(8, 8, 8, 4);

    // ---- target selection and the run buttons ---------------------------------
    auto *topRow = new QHBoxLayout;
    c.CmbObject = comboBox(
        "CmbObject",
        {QStringLiteral("指定视频目录、添加/加载视频操作"), QStringLiteral("指定音频目录、添加/加载音频操作"),
         QStringLiteral("指定图片目录、添加/加载图片操作"), QStringLiteral("指定输出目录")},
        central);
    c.CmbObject->setToolTip(QStringLiteral("指定不同的操作对象，将作用于指定的对象"));
    c.CmdDo = named(new QPushButton(QStringLiteral("制作(&R)"), central), "CmdDo");
    c.CmdStop = named(new QPushButton(QStringLiteral("终止(&S)"), central), "CmdStop");
    c.CmdStop->setVisible(false);
    c.CmdUpdate = named(new QPushButton(QStringLiteral("更新"), central), "CmdUpdate");
    c.CmdUpdate->setEnabled(false);
    topRow->addWidget(plainLabel(QStringLiteral("操作对象："), central));
    topRow->addWidget(c.CmbObject, 1);
    topRow->addWidget(c.CmdDo);
    topRow->addWidget(c.CmdStop);
    topRow->addWidget(c.CmdUpdate);
    root->addLayout(topRow);

    // ---- Frame1: sources, folders and composition mode --------------------------
    c.Frame1 = named(new QGroupBox(QStringLiteral("素材与模式"), central), "Frame1");
    auto *f1 = new QGridLayout(c.Frame1);
    c.CmdPath = named(new QPushButton(QStringLiteral("指定视频输入目录(&P)..."), c.Frame1), "CmdPath");
    c.CmdAddFiles = named(new QPushButton(QStringLiteral("添加视频文件(&A)..."), c.Frame1), "CmdAddFiles");
    c.CmdReadFiles = named(new QPushButton(QStringLiteral("自动加载视频文件(&L)"), c.Frame1), "CmdReadFiles");
    c.ChSub = checkBox("ChSub", QStringLiteral("含子文件夹"), c.Frame1);
    c.LVideo = named(new QLabel(QStringLiteral("视频目录来源未指定"), c.Frame1), "LVideo");
    c.LAudio = named(new QLabel(QStringLiteral("音频目录来源未指定"), c.Frame1), "LAudio");
    c.LSubs = named(new QLabel(QStringLiteral("字幕目录来源未指定"), c.Frame1), "LSubs");
    c.LOutDir = named(new QLabel(QStringLiteral("输出目录未指定"), c.Frame1), "LOutDir");
    for (QLabel *l : {c.LVideo, c.LAudio, c.LSubs, c.LOutDir}) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setMinimumWidth(160);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    c.OptVV = named(new QRadioButton(QStringLiteral("视频+视频"), c.Frame1), "OptVV");
    c.OptPP = named(new QRadioButton(QStringLiteral("图片+图片"), c.Frame1), "OptPP");
    c.OptMix = named(new QRadioButton(QStringLiteral("视频图片混合"), c.Frame1), "OptMix");
    c.OptVV->setChecked(true);
    c.OptVV->setToolTip(QStringLiteral("所有组合成四分屏的素材源皆视频"));
    c.OptPP->setToolTip(QStringLiteral(
        "所有组合成四分屏的素材源皆图片，图片会自动以幻灯片形式先转换成视频，然后再组合成四分屏"));
    c.OptMix->setToolTip(
        QStringLiteral("所有组合成四分屏的素材源随机来自视频或图片列表；来自图片的，会将图片(系列)"
                       "先转换成视频再组合成四分屏；至少有1个素材来自视频源,1个来自图片源。"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(c.CmdPath);
    buttons->addWidget(c.CmdAddFiles);
    buttons->addWidget(c.CmdReadFiles);
    buttons->addWidget(c.ChSub);
    buttons->addStretch(1);
    f1->addLayout(buttons, 0, 0, 1, 4);
    f1->addWidget(plainLabel(QStringLiteral("视频目录："), c.Frame1), 1, 0);
    f1->addWidget(c.LVideo, 1, 1);
    f1->addWidget(plainLabel(QStringLiteral("音频目录："), c.Frame1), 1, 2);
    f1->addWidget(c.LAudio, 1, 3);
    f1->addWidget(plainLabel(QStringLiteral("图片目录："), c.Frame1), 2, 0);
    f1->addWidget(c.LSubs, 2, 1);
    f1->addWidget(plainLabel(QStringLiteral("输出目录："), c.Frame1), 2, 2);
    f1->addWidget(c.LOutDir, 2, 3);
    auto *modes = new QHBoxLayout;
    modes->addWidget(plainLabel(QStringLiteral("组合模式："), c.Frame1));
    modes->addWidget(c.OptVV);
    modes->addWidget(c.OptPP);
    modes->addWidget(c.OptMix);
    modes->addStretch(1);
    f1->addLayout(modes, 3, 0, 1, 4);
    f1->setColumnStretch(1, 1);
    f1->setColumnStretch(3, 1);
    root->addWidget(c.Frame1);

    // ---- the three source lists ---------------------------------------------------
    c.MSFV = named(new SourceGrid(SourceKind::Video, central), "MSFV");
    c.MSFA = named(new SourceGrid(SourceKind::Audio, central), "MSFA");
    c.MSFP = named(new SourceGrid(SourceKind::Picture, central), "MSFP");
    c.LVideoNum = named(new QLabel(QStringLiteral("视频文件列表：0"), central), "LVideoNum");
    c.LAudioNum = named(new QLabel(QStringLiteral("音频文件列表：0"), central), "LAudioNum");
    c.LSubNum = named(new QLabel(QStringLiteral("图片文件列表：0"), central), "LSubNum");
    auto wrapGrid = [central](QLabel *label, SourceGrid *grid) {
        auto *box = new QWidget(central);
        auto *layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        layout->addWidget(label);
        layout->addWidget(grid, 1);
        return box;
    };
    auto *lists = new QSplitter(Qt::Horizontal, central);
    lists->addWidget(wrapGrid(c.LVideoNum, c.MSFV));
    auto *rightLists = new QSplitter(Qt::Vertical, lists);
    rightLists->addWidget(wrapGrid(c.LAudioNum, c.MSFA));
    rightLists->addWidget(wrapGrid(c.LSubNum, c.MSFP));
    lists->addWidget(rightLists);
    lists->setStretchFactor(0, 3);
    lists->setStretchFactor(1, 2);
    root->addWidget(lists, 1);

    // ---- Frame2: the options of a run ---------------------------------------------
    c.Frame2 = named(new QGroupBox(QStringLiteral("制作选项"), central), "Frame2");
    // One row of its own per group, so that no wide control widens a column
    // of the others: the window fits a 1024x768 screen.
    auto *f2 = new QVBoxLayout(c.Frame2);
    f2->setSpacing(4);

    c.ChBat = checkBox("ChBat", QStringLiteral("批量"), c.Frame2);
    c.TMax = textBox("TMax", 60, c.Frame2);
    c.TMax->setToolTip(QStringLiteral("1-2000个"));
    c.TLen = textBox("TLen", 50, c.Frame2);
    c.TLen->setToolTip(QStringLiteral("3-600秒"));
    c.UpDown1 = named(new UpDown(c.TLen, 3, 600, c.Frame2), "UpDown1");
    c.CmbLen = comboBox("CmbLen",
                        {QStringLiteral("所有视频固定时长(过长会截取，过短不补齐)"),
                         QStringLiteral("以第一个视频时长为准(过长会截取，过短不补齐)"),
                         QStringLiteral("以最短视频时长为准(过长会截取，过短不补齐)"),
                         QStringLiteral("以最长视频时长为准(过短不补齐)")},
                        c.Frame2);
    const QString randomLengthTip = QStringLiteral(
        "3-600秒；每次随机确定待生成的视频时长，然后从源视频中截取指定时长的片段用于组合，过短忽略截取。");
    c.ChRndLen = checkBox("ChRndLen", QStringLiteral("随机时长"), c.Frame2);
    c.ChRndLen->setToolTip(randomLengthTip);
    c.TRndLen = textBox("TRndLen", 70, c.Frame2);
    c.TRndLen->setToolTip(randomLengthTip);

    QStringList sizes{QStringLiteral("自动确定")};
    sizes << "1280x720"
          << "640x480"
          << "1920x1080"
          << "540x960"
          << "480x480"
          << "144x204"
          << "176x112"
          << "176x144"
          << "216x360"
          << "252x360"
          << "288x432"
          << "320x240"
          << "352x240"
          << "352x288"
          << "352x480"
          << "352x576"
          << "360x504"
          << "72x104"
          << "720x480"
          << "720x576"
          << "792x1008"
          << "800x600"
          << "1024x768"
          << "1280x760"
          << "1280x768"
          << "1360x768"
          << "1366x768" << QStringLiteral("自定义");
    c.CmbSize = comboBox("CmbSize", sizes, c.Frame2);
    c.CmbSize->setEditable(true);
    c.CmbSize->setInsertPolicy(QComboBox::NoInsert);
    c.CmbSize->setToolTip(QStringLiteral("输出影片尺寸最小128x128，最大1920x1920；某些参数组合时，输出视频尺"
                                         "寸强行自动确定，人工指定自动失效。"));
    c.CmbOutType = comboBox("CmbOutType", {"mp4", "avi", "flv", "wmv"}, c.Frame2);
    c.CmbAudio = comboBox("CmbAudio",
                          {QStringLiteral("基于第一个视频的音频"), QStringLiteral("基于最长时长的视频的音频"),
                           QStringLiteral("基于音频列表的指定音频"),
                           QStringLiteral("基于音频列表中的随机音频"), QStringLiteral("基于指定的音频")},
                          c.Frame2);
    c.LNewAu = named(new ClickableLabel(SourceListOps::fixedAudioHint(), c.Frame2), "LNewAu");
    c.LNewAu->setFrameShape(QFrame::StyledPanel);
    c.LNewAu->setMinimumWidth(200);
    c.LNewAu->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    c.LAuLen = named(new QLabel(QStringLiteral("0秒"), c.Frame2), "LAuLen");
    c.ChAuRnd = checkBox("ChAuRnd", QStringLiteral("随机截取音频"), c.Frame2);
    c.ChAuRnd->setToolTip(QStringLiteral("否则从头截取最长时长的音频"));
    c.ChAddAudio = checkBox("ChAddAudio", QStringLiteral("补齐音频"), c.Frame2);
    c.ChAddAudio->setToolTip(QStringLiteral("指定的音频过短时，用源视频后面部分的音频补齐"));

    c.ChSame = checkBox("ChSame", QStringLiteral("视频复用"), c.Frame2);
    c.ChSame->setToolTip(QStringLiteral("四分屏的每一个视频都是相同的；或者仅由同一张图片转换成视频"));
    c.ChNoSpace = checkBox("ChNoSpace", QStringLiteral("无缝组合"), c.Frame2);
    c.ChNoSpace->setToolTip(QStringLiteral("每个视频之间尽可能不留空隙"));
    c.ChCut = checkBox("ChCut", QStringLiteral("精确裁剪"), c.Frame2);
    c.ChCut->setToolTip(QStringLiteral(
        "当视频时长大于指定的时长而需要截取时，进行精确到毫秒级截取，但会耗时，否则快速截取但有秒级误差"));
    c.ChAcc = checkBox("ChAcc", QStringLiteral("精准四分屏"), c.Frame2);
    c.ChAcc->setToolTip(
        QStringLiteral("即对视频进行精确裁剪组合成四分屏，开启会耗时，视频时长限制300秒之内"));
    c.ChPPT = checkBox("ChPPT", QStringLiteral("幻灯片"), c.Frame2);
    c.ChPPT->setToolTip(QStringLiteral(
        "从视频源列表中随机n个视频，再从每个抽取的视频中随机截取1帧图组合成幻灯片，每帧播放指定的秒数"));
    c.ChSingle = checkBox("ChSingle", QStringLiteral("四分屏"), c.Frame2);
    c.ChSingle->setToolTip(QStringLiteral("默认是单屏幻灯片"));
    c.ChKeepSize = checkBox("ChKeepSize", QStringLiteral("图片等比缩放"), c.Frame2);
    c.ChKeepSize->setTristate(true);
    c.ChKeepSize->setToolTip(QStringLiteral("不等比缩放，图片会变形"));
    c.CmbEffect = comboBox(
        "CmbEffect", {QStringLiteral("图片无特效"), QStringLiteral("淡入淡出"), QStringLiteral("镜头拉近")},
        c.Frame2);
    c.CmbEffect->setVisible(false);

    c.TVedio = textBox("TVedio", 40, c.Frame2);
    c.TVedio->setToolTip(QStringLiteral("10-30个"));
    c.UpDown3 = named(new UpDown(c.TVedio, 10, 30, c.Frame2), "UpDown3");
    c.TPlay = textBox("TPlay", 40, c.Frame2);
    c.TPlay->setToolTip(QStringLiteral("1-10秒"));
    c.UpDown2 = named(new UpDown(c.TPlay, 1, 10, c.Frame2), "UpDown2");
    c.Label11 = named(new QLabel(QStringLiteral("图片参数："), c.Frame2), "Label11");
    c.TPics = textBox("TPics", 80, c.Frame2);
    c.TPics->setToolTip(
        QStringLiteral("从图片列表中随机抽取指定区间的图片张数，然后将抽取的图片系列转换成视频"));
    c.TV = textBox("TV", 30, c.Frame2);
    c.TV->setText(QStringLiteral("02"));
    c.TV->setVisible(false);

    // A row of groups; a null entry is a gap between two groups.
    auto row = [](std::initializer_list<QWidget *> widgets) {
        auto *line = new QHBoxLayout;
        line->setSpacing(4);
        for (QWidget *w : widgets) {
            if (w)
                line->addWidget(w);
            else
                line->addSpacing(14);
        }
        line->addStretch(1);
        return line;
    };
    // Count, length and the length rule.
    f2->addLayout(row({c.ChBat, c.TMax, plainLabel(QStringLiteral("个"), c.Frame2), nullptr,
                       plainLabel(QStringLiteral("时长："), c.Frame2), c.TLen, c.UpDown1,
                       plainLabel(QStringLiteral("秒"), c.Frame2), c.ChRndLen, c.TRndLen, nullptr,
                       plainLabel(QStringLiteral("时长规则："), c.Frame2), c.CmbLen}));
    // Size, type and the sound rule.
    f2->addLayout(row({plainLabel(QStringLiteral("尺寸："), c.Frame2), c.CmbSize,
                       plainLabel(QStringLiteral("格式："), c.Frame2), c.CmbOutType, nullptr,
                       plainLabel(QStringLiteral("配音："), c.Frame2), c.CmbAudio, c.ChAuRnd, c.ChAddAudio}));
    // The fixed audio file.
    auto *audioFile = new QHBoxLayout;
    audioFile->setSpacing(4);
    audioFile->addWidget(c.LNewAu, 1);
    audioFile->addWidget(c.LAuLen);
    f2->addLayout(audioFile);
    // Composition switches.
    f2->addLayout(row({c.ChSame, c.ChNoSpace, c.ChCut, c.ChAcc, c.ChKeepSize, c.CmbEffect}));
    // Slide show.
    f2->addLayout(row({c.ChPPT, c.ChSingle, plainLabel(QStringLiteral("抽取视频数："), c.Frame2), c.TVedio,
                       c.UpDown3, plainLabel(QStringLiteral("每帧秒数："), c.Frame2), c.TPlay, c.UpDown2,
                       c.Label11, c.TPics, c.TV}));
    root->addWidget(c.Frame2);

    // ---- progress and status ------------------------------------------------------
    c.PB = named(new QProgressBar(central), "PB");
    ProgressPercent::setUp(c.PB);
    c.PB->setTextVisible(false);
    c.PB->setMaximumHeight(14);
    root->addWidget(c.PB);

    c.Stb = named(new QStatusBar(this), "Stb");
    setStatusBar(c.Stb);
    const char *panelNames[4] = {"StbPanel1", "StbPanel2", "StbPanel3", "StbPanel4"};
    for (int i = 0; i < 4; ++i) {
        c.StbPanel[i] = named(new QLabel(c.Stb), panelNames[i]);
        c.StbPanel[i]->setFrameShape(QFrame::StyledPanel);
    }
    c.StbPanel[0]->setText(windowTitleText());
    c.StbPanel[1]->setText(QStringLiteral("版本：02"));
    c.StbPanel[2]->setText(QStringLiteral("最大文件数："));
    c.StbPanel[3]->setText(QStringLiteral("状态："));
    c.Stb->addWidget(c.StbPanel[0]);
    c.Stb->addWidget(c.StbPanel[1]);
    c.Stb->addWidget(c.StbPanel[2]);
    c.Stb->addWidget(c.StbPanel[3], 1);
    // A long status text is cut rather than widening the window.
    c.StbPanel[3]->setMinimumWidth(120);
    c.StbPanel[3]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // As large as suits the controls, within the screen (a 1024x768 one
    // included, its title bar and frame left room).
    QSize size(1100, 760);
    if (const QScreen *shown = screen()) {
        const QRect room = shown->availableGeometry();
        size = size.boundedTo(QSize(room.width() - 16, room.height() - 40));
    }
    resize(size.expandedTo(minimumSizeHint()));
}
