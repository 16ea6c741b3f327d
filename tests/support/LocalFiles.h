#pragma once
// Files in the tests' temporary folders: recognisable contents, reading and writing whole.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>

// `size` bytes in a pattern that does not repeat within a buffer's length.
inline QByteArray Pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xff);
    return bytes;
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray ReadLocal(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool WriteLocal(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What lies below `dir`, sorted: "a/,a/b:3,c:0" (a folder ends in "/", a file gives its size).
inline QString Tree(const QString& dir) {
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QDir(dir).relativeFilePath(info.filePath()) +
                       (info.isDir() ? QStringLiteral("/") : ':' + QString::number(info.size()));
    }
    entries.sort();
    return entries.join(QLatin1Char(','));
}
