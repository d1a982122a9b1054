#include "ui/chart_window.h"

#include <QAction>
#include <QBuffer>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QStackedLayout>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCandlestickSeries>
#include <QtCharts/QCandlestickSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "app/file_replace.h"
#include "app/prompts.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "locale/patterns.h"

namespace ardentix {
namespace {

constexpr int kMargin = 8;
constexpr int kTimeLabels = 8;  // at most this many dates under the volume pane
constexpr qreal kBarWidth = 0.7;
// Rising candles (陽線) are hollow, white in a dark outline; falling ones (陰線) dark navy.
const QColor kRisingFill(Qt::white);
const QColor kFallingFill(0, 0, 128);
const QColor kOutline(Qt::black);
const QColor kVolumeFill(112, 112, 112);

QString TimeTitle(Period period) {
    switch (period) {
        case Period::Daily:
            return QStringLiteral("日付");
        case Period::Weekly:
            return QStringLiteral("週（金曜日）");
        case Period::Monthly:
            return QStringLiteral("月");
    }
    return {};
}

// "株価" or "株価（1/10）": the unit the figures stand in.
QString ValueTitle(const QString& name, int divisor) {
    return divisor == 1 ? name
                        : name + QStringLiteral("（1/") + FormatGrouped(qint64(divisor)) + u'）';
}

QChart* NewChart() {
    auto* chart = new QChart();
    chart->legend()->hide();
    chart->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    chart->setBackgroundRoundness(0);
    // Value labels grouped by three, as the list writes its figures.
    chart->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    chart->setLocalizeNumbers(true);
    return chart;
}

QValueAxis* NewValueAxis() {
    auto* axis = new QValueAxis();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

QChartView* NewView(QChart* chart, QAction* save) {
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing, false);
    view->addAction(save);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    return view;
}

// Every step-th bar carries a date; the price pane draws its grid lines there too.
int TimeStep(size_t count) {
    return std::max(1, int(count + kTimeLabels - 1) / kTimeLabels);
}

void SetTimeRange(QValueAxis* axis, size_t count) {
    // The interval first: a wide range at the old interval would make a grid line per bar.
    axis->setTickInterval(TimeStep(count));
    axis->setRange(-0.5, qreal(std::max<size_t>(count, 1)) - 0.5);
}

void SetTimeLabels(QCategoryAxis* axis, const std::vector<ChartBar>& bars) {
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    SetTimeRange(axis, bars.size());
    const int step = TimeStep(bars.size());
    for (int i = 0; i < int(bars.size()); i += step) {
        // The axis refuses a label twice; a blank date gets none.
        if (!bars[i].label.isEmpty() && !axis->categoriesLabels().contains(bars[i].label)) {
            axis->append(bars[i].label, i);
        }
    }
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent, Prompts& prompts,
                         std::function<QString()> proposedPicture)
    : QWidget(parent, Qt::Window), prompts_(prompts), proposedPicture_(std::move(proposedPicture)) {
    resize(960, 720);
    save_ = new QAction(QStringLiteral("画像として保存"), this);
    connect(save_, &QAction::triggered, this, &ChartWindow::SavePicture);
    addAction(save_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    priceChart_ = NewChart();
    candles_ = new QCandlestickSeries();
    candles_->setBodyWidth(kBarWidth);
    candles_->setMinimumColumnWidth(-1);  // 500 candles are narrower than the default 5 px
    candles_->setCapsVisible(false);
    candles_->setPen(QPen(kOutline, 1));
    priceChart_->addSeries(candles_);
    // The series' two colours paint every body: the theme gives them its own, and a set's
    // brush would never show.
    candles_->setIncreasingColor(kRisingFill);
    candles_->setDecreasingColor(kFallingFill);
    // The candles take a plain value axis: they do not work with a category axis.
    priceTime_ = new QValueAxis();
    priceTime_->setLabelsVisible(false);
    priceTime_->setTickType(QValueAxis::TicksDynamic);
    priceTime_->setTickAnchor(0);
    priceAxis_ = NewValueAxis();
    priceAxis_->setTitleText(ValueTitle(QStringLiteral("株価"), 1));
    priceChart_->addAxis(priceTime_, Qt::AlignBottom);
    priceChart_->addAxis(priceAxis_, Qt::AlignLeft);
    candles_->attachAxis(priceTime_);
    candles_->attachAxis(priceAxis_);

    volumeChart_ = NewChart();
    volumes_ = new QBarSet(QStringLiteral("出来高"));
    volumes_->setColor(kVolumeFill);
    volumes_->setBorderColor(kVolumeFill);
    volumeSeries_ = new QBarSeries();
    volumeSeries_->setBarWidth(kBarWidth);
    volumeSeries_->append(volumes_);
    volumeChart_->addSeries(volumeSeries_);
    volumeTime_ = new QCategoryAxis();
    volumeTime_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    volumeTime_->setTitleText(TimeTitle(Period::Daily));
    volumeAxis_ = NewValueAxis();
    volumeAxis_->setTitleText(ValueTitle(QStringLiteral("出来高"), 1));
    volumeChart_->addAxis(volumeTime_, Qt::AlignBottom);
    volumeChart_->addAxis(volumeAxis_, Qt::AlignLeft);
    volumeSeries_->attachAxis(volumeTime_);
    volumeSeries_->attachAxis(volumeAxis_);

    panes_ = new QWidget();
    auto* paneLayout = new QVBoxLayout(panes_);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(0);
    auto* priceView = NewView(priceChart_, save_);
    auto* volumeView = NewView(volumeChart_, save_);
    paneLayout->addWidget(priceView, 5);
    paneLayout->addWidget(volumeView, 2);
    priceView->viewport()->installEventFilter(this);
    volumeView->viewport()->installEventFilter(this);
    // Even the smallest window writes every axis title and date in full: each pane is tall
    // enough for its longest title standing upright beside it, with the axes around it, and
    // the window wide enough for the dates side by side right of the widest volume labels.
    const QFontMetrics titles(volumeAxis_->titleFont());
    const auto highest = [](std::span<const ScaleEntry> scales) {
        return std::ranges::max(scales, {}, &ScaleEntry::divisor).divisor;
    };
    const auto holdTitle = [&](QWidget* view, const QString& name,
                               std::span<const ScaleEntry> scales) {
        view->setMinimumHeight(titles.horizontalAdvance(ValueTitle(name, highest(scales))) +
                               7 * titles.height());
    };
    holdTitle(priceView, QStringLiteral("株価"), kPriceScales);
    holdTitle(volumeView, QStringLiteral("出来高"), kVolumeScales);
    const QFontMetrics labels(volumeTime_->labelsFont());
    setMinimumWidth(kTimeLabels *
                        (labels.horizontalAdvance(QStringLiteral("00/00/00")) + labels.height()) +
                    labels.horizontalAdvance(QStringLiteral("0,000,000,000")) +
                    4 * titles.height() + 2 * kMargin);
    noData_ = new QLabel(QStringLiteral("データなし"));
    noData_->setAlignment(Qt::AlignCenter);
    pages_ = new QStackedLayout(this);
    pages_->addWidget(panes_);
    pages_->addWidget(noData_);

    connect(candles_, &QCandlestickSeries::hovered, this,
            [this](bool shown, QCandlestickSet* set) { ShowTip(shown, int(set->timestamp())); });
    connect(volumeSeries_, &QBarSeries::hovered, this,
            [this](bool shown, int index, QBarSet*) { ShowTip(shown, index); });
    connect(priceChart_, &QChart::plotAreaChanged, this, &ChartWindow::AlignPlotAreas);
    connect(volumeChart_, &QChart::plotAreaChanged, this, &ChartWindow::AlignPlotAreas);
    Clear();
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::ShowBars(const std::vector<ChartBar>& bars, Period period, const QString& caption,
                           int priceDivisor, int volumeDivisor) {
    Clear(/*noData=*/bars.empty());
    setWindowTitle(caption);
    pictureCaption_ = PictureCaption(caption, bars);
    if (bars.empty()) {
        return;
    }
    QList<QCandlestickSet*> sets;
    QList<qreal> volumes;
    sets.reserve(qsizetype(bars.size()));
    volumes.reserve(qsizetype(bars.size()));
    qint32 low = bars.front().low;
    qint32 high = bars.front().high;
    qreal mostVolume = 0;
    for (size_t i = 0; i < bars.size(); ++i) {
        const ChartBar& bar = bars[i];
        // The set's timestamp is its place on the time axis, shared with the volume bar.
        sets << new QCandlestickSet(bar.open, bar.high, bar.low, bar.close, qreal(i));
        volumes << bar.volume;
        tips_ << bar.tip;
        low = std::min({low, bar.low, bar.open, bar.close});
        high = std::max({high, bar.high, bar.open, bar.close});
        mostVolume = std::max(mostVolume, bar.volume);
    }
    SetTimeRange(priceTime_, bars.size());
    SetTimeLabels(volumeTime_, bars);
    volumeTime_->setTitleText(TimeTitle(period));
    const qreal pad = std::max<qreal>(1, (qreal(high) - low) * 0.05);
    // Prices never below zero leave no room below it: the nice numbers keep a bottom of at
    // least zero.
    priceAxis_->setRange(low >= 0 ? std::max<qreal>(0, low - pad) : low - pad, high + pad);
    priceAxis_->applyNiceNumbers();
    priceAxis_->setTitleText(ValueTitle(QStringLiteral("株価"), priceDivisor));
    volumeAxis_->setRange(0, std::max<qreal>(1, mostVolume));
    volumeAxis_->applyNiceNumbers();
    volumeAxis_->setTitleText(ValueTitle(QStringLiteral("出来高"), volumeDivisor));

    candles_->append(sets);
    volumes_->append(volumes);
    save_->setEnabled(true);
}

void ChartWindow::Clear(bool noData) {
    QToolTip::hideText();
    tips_.clear();
    candles_->clear();
    volumes_->remove(0, volumes_->count());
    SetTimeRange(priceTime_, 0);
    SetTimeLabels(volumeTime_, {});
    priceAxis_->setRange(0, 1);
    volumeAxis_->setRange(0, 1);
    pages_->setCurrentWidget(noData ? static_cast<QWidget*>(noData_) : panes_);
    save_->setEnabled(false);
}

bool ChartWindow::showsNoData() const {
    return pages_->currentWidget() == noData_;
}

void ChartWindow::ShowTip(bool shown, int index) {
    if (shown && index >= 0 && index < tips_.size()) {
        QToolTip::showText(QCursor::pos(), tips_[index], this);
    } else {
        QToolTip::hideText();
    }
}

bool ChartWindow::eventFilter(QObject* watched, QEvent* event) {
    // When the mouse rests, the toolkit asks the view for a tip; the scene answers for its
    // items, which carry none, by hiding every tip, the hovered bar's included.
    return event->type() == QEvent::ToolTip || QWidget::eventFilter(watched, event);
}

void ChartWindow::AlignPlotAreas() {
    QMargins price = priceChart_->margins();
    QMargins volume = volumeChart_->margins();
    // Where each plot area would start with the plain margin.
    const qreal priceStart = priceChart_->plotArea().left() - (price.left() - kMargin);
    const qreal volumeStart = volumeChart_->plotArea().left() - (volume.left() - kMargin);
    const qreal start = std::max(priceStart, volumeStart);
    price.setLeft(kMargin + qRound(start - priceStart));
    volume.setLeft(kMargin + qRound(start - volumeStart));
    if (price != priceChart_->margins()) {
        priceChart_->setMargins(price);
    }
    if (volume != volumeChart_->margins()) {
        volumeChart_->setMargins(volume);
    }
}

QImage ChartWindow::Picture() const {
    const QImage panes = panes_->grab().toImage();
    const int width = panes_->width();
    const int line = QFontMetrics(font()).height() + 2 * kMargin;
    QImage picture(QSize(width, panes_->height() + line) * panes.devicePixelRatio(),
                   QImage::Format_RGB32);
    picture.setDevicePixelRatio(panes.devicePixelRatio());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(kMargin, 0, width - 2 * kMargin, line), Qt::AlignLeft | Qt::AlignVCenter,
                     pictureCaption_);
    painter.drawImage(0, line, panes);
    painter.end();
    // The same line as the PNG's title text, for programs that read the file.
    picture.setText(QStringLiteral("Title"), pictureCaption_);
    return picture;
}

void ChartWindow::SavePicture() {
    const QFileInfo proposed(proposedPicture_());
    SaveDialogRequest request;
    request.title = QStringLiteral("画像として保存");
    request.filterDescription = QStringLiteral("PNGファイル (*.png)");
    request.patterns = {QStringLiteral("*.png")};
    request.initialDirectory = proposed.absolutePath();
    request.proposedName = proposed.fileName();
    const std::optional<QString> chosen = prompts_.AskSaveFileName(request);
    if (!chosen || chosen->trimmed().isEmpty()) {
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    FileWriteResult result;
    if (!Picture().save(&buffer, "PNG")) {
        result.error = QStringLiteral("PNG画像を作成できません。");
    } else {
        result = ReplaceFileBytes(*chosen, bytes);
    }
    if (!result.ok) {
        prompts_.ShowMessage(result.error, kStyleCritical, kExportFailureTitle);
    }
}

}  // namespace ardentix
