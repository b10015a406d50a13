#pragma once

#include <QProxyStyle>

namespace velmora {

// The application's style, except that a check box smaller than the style's indicator
// (the 13-pixel direct-input boxes and "Lo") gets an indicator as large as fits inside
// its rectangle, so that no edge of the box is cut off. Larger check boxes keep the
// style's own indicator.
class FittingIndicatorStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

} // namespace velmora
