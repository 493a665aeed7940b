#pragma once

#include <QString>

namespace vornap::test {

// One row of docs/robustness.md: a bad input or fault, and what the player
// does with it. Written under <build>/robustness when the test that shows
// it passes, so the table holds only what a passing test proved.
class RobustnessRow {
public:
    RobustnessRow(QString input, QString outcome);
    ~RobustnessRow();
    RobustnessRow(const RobustnessRow&) = delete;
    RobustnessRow& operator=(const RobustnessRow&) = delete;

private:
    QString m_input;
    QString m_outcome;
};

} // namespace vornap::test
