#pragma once

#include <QString>
#include <QUrl>

// The web server that publishes new versions: a folder URL ending in "/"
// whose "downs/" folder holds the version note and the archives.
class UpdateServer {
public:
    // ZARV_UPDATE_URL when it is set (an empty value turns updates off),
    // otherwise the URL the program was built with. An invalid URL means off.
    static QUrl baseUrl();
    // An http or https URL, made a folder URL when the "/" is missing;
    // invalid for an empty text or any other kind of URL.
    static QUrl baseUrlFrom(const QString &text);
    // base + "downs/" + fileName.
    static QUrl fileUrl(const QUrl &base, const QString &fileName);

    // The program's title: the name of the main program without extension.
    static QString programTitle() { return QStringLiteral("ZarvMulVideoEditor"); }
    static QString noteFileName() { return programTitle() + QStringLiteral(".txt"); }
    static QString archiveFileName() { return QStringLiteral("ZarvVedioEditor.rar"); }
    static QString installerFileName() { return QStringLiteral("wrar411sc.rar"); }
};
