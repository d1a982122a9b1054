#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "export/chart_series.h"
#include "parse/period.h"

class QAction;
class QBarSeries;
class QBarSet;
class QCandlestickSeries;
class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QStackedLayout;
class QValueAxis;

namespace ardentix {

class Prompts;

// The listed rows as candles over a pane of volume bars that shares their time axis. A window
// of its own beside the main window, never modal; its context menu saves it as a PNG picture.
class ChartWindow : public QWidget {
    Q_OBJECT

public:
    // proposedPicture gives the path the save dialog proposes, asked at each save.
    ChartWindow(QWidget* parent, Prompts& prompts, std::function<QString()> proposedPicture);
    ~ChartWindow() override;

    // Draws the bars (oldest first) under the list's divisors, with the caption as the title.
    void ShowBars(const std::vector<ChartBar>& bars, Period period, const QString& caption,
                  int priceDivisor, int volumeDivisor);
    // Draws nothing and keeps the title; with noData, the window says "データなし" instead of
    // the empty panes.
    void Clear(bool noData = false);

    // The save dialog, then the picture of both panes under a line saying what they show
    // (code, market, period, dates); a failed write is shown in a box.
    void SavePicture();

    const QCandlestickSeries& candles() const { return *candles_; }
    const QBarSet& volumes() const { return *volumes_; }
    bool showsNoData() const;
    QAction* saveAction() const { return save_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage Picture() const;
    void ShowTip(bool shown, int index);
    // Gives both panes the same left edge of their plot areas, so the candles stand above
    // their volume bars whatever the width of each pane's value labels.
    void AlignPlotAreas();

    Prompts& prompts_;
    std::function<QString()> proposedPicture_;
    QStringList tips_;
    QString pictureCaption_;  // written above the saved picture
    QStackedLayout* pages_ = nullptr;
    QWidget* panes_ = nullptr;
    QLabel* noData_ = nullptr;
    QAction* save_ = nullptr;
    QChart* priceChart_ = nullptr;
    QChart* volumeChart_ = nullptr;
    QCandlestickSeries* candles_ = nullptr;
    QBarSeries* volumeSeries_ = nullptr;
    QBarSet* volumes_ = nullptr;
    QValueAxis* priceTime_ = nullptr;
    QCategoryAxis* volumeTime_ = nullptr;
    QValueAxis* priceAxis_ = nullptr;
    QValueAxis* volumeAxis_ = nullptr;
};

}  // namespace ardentix
