#include "ui/fitting_indicator_style.h"

#include <QWidget>

#include <algorithm>

namespace velmora {

int FittingIndicatorStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                       const QWidget* widget) const {
    const int size = QProxyStyle::pixelMetric(metric, option, widget);
    if (widget == nullptr || (metric != PM_IndicatorWidth && metric != PM_IndicatorHeight)) {
        return size;
    }
    return std::min({size, widget->width(), widget->height()});
}

} // namespace velmora
