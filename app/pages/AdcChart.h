// The service page's live chart: the two converter values over the last minute, each channel in a
// band of its own scaled to its own range (their magnitudes differ by orders), the latest value and
// the range written in. A small painter of its own, so the window needs nothing beyond Qt Widgets.
// Window thread.
#pragma once

#include <QWidget>

#include <deque>
#include <optional>
#include <utility>

namespace qv7::pages {

class TAdcChart : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 SpanMs = 60000; // what the chart shows

    explicit TAdcChart(QWidget* parent = nullptr);

    // A reading taken at `ms` on a steady clock; readings older than a minute before it are dropped.
    void addReading(qint64 ms, float adc1, float adc2);
    void clear();
    int readings() const { return static_cast<int>(samples_.size()); }
    // The lowest and highest number channel (0 or 1) held over the minute; none when it holds none.
    std::optional<std::pair<float, float>> range(int channel) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Sample {
        qint64 ms;
        float value[2];
    };
    void paintBand(QPainter& painter, const QRect& band, int channel) const;

    std::deque<Sample> samples_;
};

} // namespace qv7::pages
