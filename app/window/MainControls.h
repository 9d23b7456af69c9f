#pragma once

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class SourceGrid;
class UpDown;

// The named controls of the main window. Every control's objectName is the
// name below, so tests and the batch check find them by name.
struct MainControls {
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;

    // Mode buttons.
    QRadioButton *OptVV = nullptr;
    QRadioButton *OptPP = nullptr;
    QRadioButton *OptMix = nullptr;

    // Check boxes.
    QCheckBox *ChBat = nullptr;
    QCheckBox *ChRndLen = nullptr;
    QCheckBox *ChAuRnd = nullptr;
    QCheckBox *ChAddAudio = nullptr;
    QCheckBox *ChSame = nullptr;
    QCheckBox *ChNoSpace = nullptr;
    QCheckBox *ChCut = nullptr;
    QCheckBox *ChAcc = nullptr;
    QCheckBox *ChPPT = nullptr;
    QCheckBox *ChSingle = nullptr;
    QCheckBox *ChKeepSize = nullptr;
    QCheckBox *ChSub = nullptr;

    // Text boxes and their spinners.
    QLineEdit *TMax = nullptr;
    QLineEdit *TLen = nullptr;
    QLineEdit *TRndLen = nullptr;
    QLineEdit *TVedio = nullptr;
    QLineEdit *TPlay = nullptr;
    QLineEdit *TPics = nullptr;
    QLineEdit *TV = nullptr;  // hidden: the program's version text
    UpDown *UpDown1 = nullptr;  // TLen
    UpDown *UpDown2 = nullptr;  // TPlay
    UpDown *UpDown3 = nullptr;  // TVedio

    // Combo boxes.
    QComboBox *CmbLen = nullptr;
    QComboBox *CmbSize = nullptr;
    QComboBox *CmbOutType = nullptr;
    QComboBox *CmbAudio = nullptr;
    QComboBox *CmbEffect = nullptr;
    QComboBox *CmbObject = nullptr;

    // Labels.
    ClickableLabel *LNewAu = nullptr;
    QLabel *LAuLen = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *LVideoNum = nullptr;
    QLabel *LAudioNum = nullptr;
    QLabel *LSubNum = nullptr;
    QLabel *LVideo = nullptr;
    QLabel *LAudio = nullptr;
    QLabel *LSubs = nullptr;
    QLabel *LOutDir = nullptr;

    // Buttons.
    QPushButton *CmdPath = nullptr;
    QPushButton *CmdAddFiles = nullptr;
    QPushButton *CmdReadFiles = nullptr;
    QPushButton *CmdDo = nullptr;
    QPushButton *CmdStop = nullptr;
    QPushButton *CmdUpdate = nullptr;

    // Source grids.
    SourceGrid *MSFV = nullptr;
    SourceGrid *MSFA = nullptr;
    SourceGrid *MSFP = nullptr;

    // Progress and status.
    QProgressBar *PB = nullptr;
    QStatusBar *Stb = nullptr;
    QLabel *StbPanel[4] = {nullptr, nullptr, nullptr, nullptr};
};
