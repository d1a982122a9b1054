#pragma once

#include <QDate>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "parse/period.h"
#include "parse/quote_table.h"
#include "retrieval/chart_query.h"
#include "retrieval/page_fetcher.h"
#include "retrieval/run_control.h"
#include "ui/export_command.h"
#include "ui/window_context.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace Ui {
class frmMain;
}

namespace ardentix {

class ChartWindow;

// The main window: it owns the quote table and the program-wide flags and hands each event to
// the code that does the work.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // Form_Initialize and Form_Load: ensures and reads the settings file, then builds and sets
    // up the window (not shown yet). nullptr when the settings file failed; its one message
    // has been shown.
    static std::unique_ptr<frmMain> Create(const WindowContext& context);
    ~frmMain() override;

    QuoteTable& quoteTable() { return *table_; }

    bool IsBusy() const { return run_.busy(); }
    qint32 YmdForm() const { return ymdForm_; }
    int PriceDivisor() const { return priceDivisor_; }
    int VolumeDivisor() const { return volumeDivisor_; }
    QDate startDate() const { return startDate_; }
    const QString& exportPath() const { return export_.exportPath(); }

    // The bar period of the selected option: daily, weekly, otherwise monthly.
    Period SelectedPeriod() const;

    // Rebuilds shownRows from rawRows under both divisors, refills lvR and rewrites lblMei;
    // redraws the chart window when it is open.
    void ShowList();

    // Opens the chart window on the listed rows, or raises it; nothing when the list is empty.
    void ShowChart();

public slots:
    // Starts a download; during one, stops it.
    void cmdDwn_Click();
    void cmdPath_Click();
    void cmbVbase_Click(int index);
    void cmbYmdForm_Click();

protected:
    // Form_Unload: a download in progress is stopped, without a word, and the window closes.
    void closeEvent(QCloseEvent* event) override;
    // A double-click anywhere on the result list opens the chart.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMain(const WindowContext& context, qint32 ymdForm);
    void Form_Load();
    void SetupWindow();
    void ResetRun();
    // Locks (false) or unlocks the query inputs and the save button around a download.
    void EnableInputs(bool enable);
    ChartQuery CurrentQuery() const;
    void DrawChart();

    std::unique_ptr<Ui::frmMain> ui;
    std::array<QRadioButton*, 3> optG{};
    std::array<QComboBox*, 2> cmbVbase{};
    std::array<QLabel*, 4> lblCd{};

    WindowContext context_;
    std::unique_ptr<QuoteTable> table_;
    std::unique_ptr<PagingState> paging_;
    bool isLoading_ = false;
    qint32 ymdForm_ = 0;
    int priceDivisor_ = 0;
    int volumeDivisor_ = 0;
    QDate startDate_;
    Period listedPeriod_ = Period::Daily;  // the period lblMei names
    QPointer<ChartWindow> chart_;
    QNetworkAccessManager network_;
    PageFetcher fetcher_{network_};
    RunControl run_{fetcher_};
    ExportCommand export_{context_.prompts};
};

}  // namespace ardentix
