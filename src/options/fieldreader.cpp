#include "options/fieldreader.h"

#include "app/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vornap {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
} // namespace

FieldReader FieldReader::open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QFileInfo info(path);
        if (!info.dir().exists())
            throw errors::pathNotFound();
        if (!info.exists())
            throw errors::fileNotFound();
        if (info.isDir())
            throw errors::pathFileAccess();
        throw errors::permissionDenied();
    }
    return FieldReader(file.readAll());
}

bool FieldReader::atEnd() const {
    qsizetype p = m_pos;
    while (p < m_data.size() && (isBlank(m_data[p]) || isLineEnd(m_data[p])))
        ++p;
    return p >= m_data.size();
}

QString FieldReader::input() {
    const qsizetype n = m_data.size();
    while (m_pos < n && isBlank(m_data[m_pos]))
        ++m_pos;
    // Blank lines between fields carry no field of their own.
    while (m_pos < n && (isLineEnd(m_data[m_pos]) || isBlank(m_data[m_pos])))
        ++m_pos;
    if (m_pos >= n)
        throw errors::inputPastEndOfFile();

    QByteArray field;
    if (m_data[m_pos] == '"') {
        const qsizetype close = m_data.indexOf('"', m_pos + 1);
        const qsizetype end = close < 0 ? n : close;
        field = m_data.mid(m_pos + 1, end - m_pos - 1);
        m_pos = close < 0 ? n : close + 1;
        // Anything between the closing quote and the separator is dropped.
        while (m_pos < n && m_data[m_pos] != ',' && !isLineEnd(m_data[m_pos]))
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < n && m_data[m_pos] != ',' && !isLineEnd(m_data[m_pos]))
            ++m_pos;
        field = m_data.mid(start, m_pos - start);
        while (!field.isEmpty() && isBlank(field.back()))
            field.chop(1);
    }
    skipDelimiter();
    return QString::fromLocal8Bit(field);
}

void FieldReader::skipDelimiter() {
    const qsizetype n = m_data.size();
    if (m_pos >= n)
        return;
    if (m_data[m_pos] == ',') {
        ++m_pos;
    } else if (m_data[m_pos] == '\r') {
        ++m_pos;
        if (m_pos < n && m_data[m_pos] == '\n')
            ++m_pos;
    } else if (m_data[m_pos] == '\n') {
        ++m_pos;
    }
}

QStringList readFields(const QString& path, int count) {
    FieldReader reader = FieldReader::open(path);
    QStringList fields;
    for (int i = 0; i < count; ++i)
        fields << reader.input();
    return fields;
}

} // namespace vornap
