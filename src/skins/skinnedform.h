#pragma once

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

} // namespace vornap
