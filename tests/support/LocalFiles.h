#pragma once
// Files in the tests' temporary folders: recognisable contents, reading and writing whole.
#include <QByteArray>
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
