#pragma once
// The GUI's edge between stored Windows-1252 bytes and QString, lossless both ways (the five
// bytes the code page leaves undefined map to U+0081 ...). Characters the code page cannot
// hold become "?" on the way back.
#include <QString>

#include <string>
#include <string_view>

QString FromCp1252(std::string_view bytes);
std::string ToCp1252(const QString& text);
