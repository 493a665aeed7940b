#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

namespace vornap {

class ImageBox;

// What a skin sets on one window: the background picture's holder and the
// controls that take the fore colour, both colours, or the back colour.
struct SkinTargets {
    ImageBox* imgBackground = nullptr;
    std::vector<QWidget*> foreOnly;
    std::vector<QWidget*> backAndFore;
    std::vector<QWidget*> backOnly;
};

// A window that wears the skin.
class SkinnedForm {
public:
    virtual ~SkinnedForm() = default;
    virtual SkinTargets skinTargets() = 0;
};

// A dialog that wears the skin: its paint handler tiles the background held
// by the imgBackground of its skinTargets(). A dialog that does more on paint
// overrides paintEvent and calls this one first.
class SkinnedDialog : public QDialog, public SkinnedForm {
public:
    using QDialog::QDialog;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vornap
