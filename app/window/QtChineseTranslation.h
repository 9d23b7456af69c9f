#pragma once

class QCoreApplication;
class QString;

// Qt's own texts (the file and folder dialogs, standard buttons, context
// menus) in simplified Chinese, to read like the rest of the window.
class QtChineseTranslation {
public:
    // Looks in the program folder's "translations" folder, then in Qt's;
    // false when neither holds the translation.
    static bool install(QCoreApplication &app, const QString &programFolder);
};
