#include "robustnessrow.h"

#include "support/skins.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <set>

namespace vornap::test {

RobustnessRow::RobustnessRow(QString input, QString outcome)
    : m_input(std::move(input)), m_outcome(std::move(outcome)) {
    // The table is built by a CMake script: these would split its cells.
    for (const QString& text : {m_input, m_outcome})
        EXPECT_FALSE(text.contains(u';') || text.contains(u'|') || text.contains(u'\t'))
            << text.toStdString();
}

RobustnessRow::~RobustnessRow() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Run by hand, outside CTest, a test has no build directory to write to.
    if (!info || ::testing::Test::HasFailure() || ::testing::Test::IsSkipped() ||
        buildDir().isEmpty())
        return;
    const QString dir = buildDir() + QStringLiteral("/robustness");
    QDir().mkpath(dir);
    const QString name =
        QString::fromLatin1(info->test_suite_name()) + u'.' + QString::fromLatin1(info->name());
    // The first row of a test in this run replaces what an earlier run wrote.
    static std::set<QString> started;
    QFile file(dir + u'/' + name + QStringLiteral(".txt"));
    const bool first = started.insert(name).second;
    if (!file.open(first ? QIODevice::WriteOnly : QIODevice::Append))
        return;
    file.write((m_input + u'\t' + m_outcome + u'\n').toUtf8());
}

} // namespace vornap::test
