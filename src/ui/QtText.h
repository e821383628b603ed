#pragma once
// Between the engine's byte strings and Qt's strings.
#include <QFile>
#include <QString>
#include <string>

#include "model/Encoding.h"

// Texts are UTF-8; bytes that are not (a legacy preset or caption) are shown
// as Windows-1252.
inline QString toQt(const std::string& s) { return QString::fromStdString(pv::windows1252ToUtf8(s)); }
inline std::string fromQt(const QString& s) { return s.toStdString(); }
inline QString pathToQt(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string pathFromQt(const QString& path) { return QFile::encodeName(path).toStdString(); }
