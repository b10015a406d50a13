#pragma once

#include "values/controls.h"

#include <QRect>

#include <array>

namespace velmora {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidthTwips = 8400;
inline constexpr int kClientHeightTwips = 9045;
inline constexpr double kDialogPointSize = 8.25;

enum class CaptionAlignment { Left, Right, Center };

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

// Where one control of `Form1` sits and how its caption looks; its name, kind, frame
// and caption are the control table's. Rectangles are measured from the window's
// client area, whatever frame the control lives in.
struct ControlLayout {
    ControlId control;
    TwipRect rect;
    CaptionAlignment alignment = CaptionAlignment::Left;
    double pointSize = kDialogPointSize;
    bool outlined = false; // frames only: an etched border around the region
};

// One place for each control of the table, each frame before its members, focusable
// controls in the order the Tab key visits them.
using FormLayout = std::array<ControlLayout, kControlCount>;
const FormLayout& formLayout();

int twipsToPixels(int twips, double dotsPerInch);
QRect twipsToPixels(const TwipRect& rect, double dotsPerInch);

} // namespace velmora
