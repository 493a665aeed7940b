#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vornap {

// Reads the fields of a sequential text file one by one: blanks before a
// field are skipped; a field that starts with a double quote ends at the
// next double quote; an unquoted field ends at a comma or a line end; a
// comma and a line end (CR, LF or CR LF) separate fields alike.
class FieldReader {
public:
    explicit FieldReader(QByteArray data) : m_data(std::move(data)) {}

    // Opens a file for input; a failure is the file system's error (File not
    // found, Path not found, Permission denied).
    static FieldReader open(const QString& path);

    // The next field; reading past the last one is "Input past end of file".
    QString input();
    bool atEnd() const;

private:
    void skipDelimiter();

    QByteArray m_data;
    qsizetype m_pos = 0;
};

// Opens the file, reads its first `count` fields and closes it.
QStringList readFields(const QString& path, int count);

} // namespace vornap
