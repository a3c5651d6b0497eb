// TFitPlot: the drawings of the measurements dialog. As a curve plot, the measured pairs as dots
// beside the fitted curve with its points; as an error plot, the deviation of the fitted curve from
// each pair along the input, between the dashed lines of the largest deviation. Window thread.
#pragma once

#include "indicator/LinFit.h"

#include <QWidget>

#include <vector>

class TFitPlot : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Curve, Error };
    TFitPlot(Kind kind, QWidget* parent = nullptr);

    // What to draw; `data` sorted by input (may be empty), `curve` the fitted points.
    void setContent(std::vector<qv7::FitPoint> data, std::vector<qv7::FitPoint> curve);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintCurve(class QPainter& painter, const QRectF& area);
    void paintError(class QPainter& painter, const QRectF& area);

    Kind kind_;
    std::vector<qv7::FitPoint> data_;
    std::vector<qv7::FitPoint> curve_;
};
