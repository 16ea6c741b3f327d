#pragma once
// Points the program folder (and so the configuration file) at a fresh temporary folder for
// as long as the object lives.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

struct TempHome {
    QTemporaryDir dir;
    TempHome() { qputenv("PAGEWRIGHT_HOME", QFile::encodeName(dir.path())); }
    ~TempHome() { qunsetenv("PAGEWRIGHT_HOME"); }
    QString path(const QString& name = QStringLiteral("Pagewright2.cfg")) const {
        return dir.filePath(name);
    }
    // The configuration file's path in the form core takes.
    std::string cfg() const { return QFile::encodeName(path()).toStdString(); }
    bool hasFile() const { return QFile::exists(path()); }
    QByteArray bytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};
