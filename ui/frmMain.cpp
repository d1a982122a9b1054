#include "ui/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

#include "app/settings_file.h"
#include "export/chart_series.h"
#include "export/export_writer.h"
#include "export/row_scaling.h"
#include "locale/patterns.h"
#include "retrieval/download_run.h"
#include "retrieval/gateway_access.h"
#include "retrieval/query_tables.h"
#include "retrieval/stock_code.h"
#include "ui/chart_window.h"
#include "ui/result_list.h"
#include "ui/window_setup.h"
#include "ui_frmMain.h"

// Resources of a static library are registered by hand, from the global namespace.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ardentix {

std::unique_ptr<frmMain> frmMain::Create(const WindowContext& context) {
    qint32 ymdForm = 0;
    if (!zidodu::EnsureIni(context.prompts, context.settingsDirectory, ymdForm) ||
        !zidodu::ReadIni(context.prompts, context.settingsDirectory, ymdForm)) {
        return nullptr;
    }
    std::unique_ptr<frmMain> window(new frmMain(context, ymdForm));
    window->Form_Load();
    return window;
}

frmMain::frmMain(const WindowContext& context, qint32 ymdForm)
    : ui(std::make_unique<Ui::frmMain>()),
      context_(context),
      table_(std::make_unique<QuoteTable>()),
      paging_(std::make_unique<PagingState>()),
      ymdForm_(ymdForm) {
    fetcher_.setTimeoutMs(context_.fetchTimeoutMs);
    InitResources();
    InstallFontSubstitutions();
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    optG = {ui->optG_0, ui->optG_1, ui->optG_2};
    cmbVbase = {ui->cmbVbase_0, ui->cmbVbase_1};
    lblCd = {ui->lblCd_0, ui->lblCd_1, ui->lblCd_2, ui->lblCd_3};

    connect(ui->cmdDwn, &QPushButton::clicked, this, &frmMain::cmdDwn_Click);
    connect(ui->txtCD, &QLineEdit::returnPressed, this, [this] {
        if (!run_.busy()) {
            cmdDwn_Click();
        }
    });
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            [this] { run_.Stop(); });
    connect(ui->cmdPath, &QPushButton::clicked, this, &frmMain::cmdPath_Click);
    for (int index = 0; index < int(cmbVbase.size()); ++index) {
        connect(cmbVbase[index], &QComboBox::currentIndexChanged, this,
                [this, index] { cmbVbase_Click(index); });
    }
    connect(ui->cmbYmdForm, &QComboBox::currentIndexChanged, this, &frmMain::cmbYmdForm_Click);

    auto* showChart = new QAction(QStringLiteral("チャート表示"), this);
    showChart->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    addAction(showChart);
    ui->lvR->addAction(showChart);
    ui->lvR->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->lvR->viewport()->installEventFilter(this);
    connect(showChart, &QAction::triggered, this, &frmMain::ShowChart);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
    isLoading_ = true;
    SetupWindow();
    isLoading_ = false;
    ui->txtCD->setFocus();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void frmMain::SetupWindow() {
    setWindowTitle(WindowTitle());
    ui->txtCD->clear();
    ui->lblMsg->setText(NoteText());
    ui->lblCount->setText(FormatRowCount(table_->rowCount));
    FillMarkets(ui->cmbCat);
    FillScaleList(cmbVbase[0], kPriceScales);
    FillScaleList(cmbVbase[1], kVolumeScales);
    SetupListColumns(ui->lvR);
    FillYmdForms(ui->cmbYmdForm, ymdForm_);
    ui->lblMei->clear();
    ui->dtpYmd->setDate(context_.today());
    ui->txtFile->clear();
    optG[0]->setChecked(true);
}

Period frmMain::SelectedPeriod() const {
    if (optG[0]->isChecked()) {
        return Period::Daily;
    }
    if (optG[1]->isChecked()) {
        return Period::Weekly;
    }
    return Period::Monthly;
}

void frmMain::ShowList() {
    ui->lvR->clear();
    ScaleRows(*table_, priceDivisor_, volumeDivisor_);
    FillResultList(ui->lvR, *table_);
    listedPeriod_ = SelectedPeriod();
    ui->lblMei->setText(ListCaption(ui->txtCD->text(), ui->cmbCat->currentText(), listedPeriod_));
    if (chart_ && chart_->isVisible()) {
        DrawChart();
    }
}

void frmMain::ShowChart() {
    if (ui->lvR->topLevelItemCount() == 0) {
        return;
    }
    if (!chart_) {
        chart_ = new ChartWindow(this, context_.prompts, [this] {
            QString name = DefaultExportName(SelectedPeriod(), ui->txtCD->text());
            name.replace(name.lastIndexOf(u'.'), name.size(), QStringLiteral(".png"));
            return QDir(context_.ExportDirectory()).filePath(name);
        });
    }
    DrawChart();
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void frmMain::DrawChart() {
    const std::span listed(table_->shownRows.data(), size_t(ui->lvR->topLevelItemCount()));
    chart_->ShowBars(ChartBars(listed, listedPeriod_), listedPeriod_, ui->lblMei->text(),
                     priceDivisor_, volumeDivisor_);
}

void frmMain::cmdDwn_Click() {
    if (!run_.Begin()) {
        run_.Stop();
        return;
    }
    // The field itself takes the folded code: the caption, the chart's title and the proposed
    // file name all read it.
    if (const QString folded = FoldCode(ui->txtCD->text()); folded != ui->txtCD->text()) {
        ui->txtCD->setText(folded);
    }
    ResetRun();
    // Read at each download: the service makes its secret when it first starts.
    fetcher_.setExtraHeader(kSecretHeader, GatewaySecretFor(context_.quoteHost));
    DownloadRun run(*table_, *paging_, run_, context_.prompts);
    RunHooks hooks;
    hooks.started = [this] {
        setCursor(Qt::WaitCursor);
        EnableInputs(false);
        ui->cmdDwn->setText(QStringLiteral("中止"));
        ui->lblCount->setText(QStringLiteral("接続中...."));
    };
    hooks.pageAccepted = [this](int rowCount) {
        ui->lblCount->setText(FormatRowCount(rowCount));
        QCoreApplication::processEvents();
        return !run_.stopping();
    };
    const RunEnd end = run.Execute(CurrentQuery(), hooks);
    if (end == RunEnd::BlankCode) {
        run_.End();
        return;
    }
    if (end == RunEnd::Succeeded) {
        ui->lblCount->setText(FormatRowCount(table_->rowCount));
        ShowList();
    } else {
        // A stopped run keeps the rows of its pages; like a failed one it neither lists nor
        // saves them. Rows listed by a scale change during the run are not the result either.
        table_->rowCount = 0;
        ui->lvR->clear();
        ui->lblMei->clear();
        if (chart_) {
            chart_->Clear(/*noData=*/true);
        }
        ui->lblCount->setText(end == RunEnd::Cancelled ? QStringLiteral("中止しました")
                                                       : QStringLiteral("データ読込み失敗"));
    }
    unsetCursor();
    EnableInputs(true);
    ui->cmdDwn->setText(QStringLiteral("ダウンロード"));
    run_.End();
}

void frmMain::ResetRun() {
    table_->Clear();
    paging_->Clear();
    ui->lblCount->setText(FormatRowCount(table_->rowCount));
    ui->lblMei->clear();
    ui->txtFile->clear();
    cmbVbase[0]->setCurrentIndex(0);
    cmbVbase[1]->setCurrentIndex(0);
    ui->lvR->clear();
    if (chart_) {
        // Empty axes would read as nonsense while the rows come in: the chart says データなし
        // under the caption the list will have.
        chart_->Clear(/*noData=*/true);
        chart_->setWindowTitle(
            ListCaption(ui->txtCD->text(), ui->cmbCat->currentText(), SelectedPeriod()));
    }
    QCoreApplication::processEvents();
    startDate_ = RangeStart(ui->dtpYmd->date(), SelectedPeriod());
}

ChartQuery frmMain::CurrentQuery() const {
    ChartQuery query;
    query.host = context_.quoteHost;
    query.code = ui->txtCD->text();
    query.marketIndex = ui->cmbCat->currentIndex();
    query.period = SelectedPeriod();
    query.startDate = startDate_;
    query.endDate = ui->dtpYmd->date();
    return query;
}

void frmMain::EnableInputs(bool enable) {
    ui->txtCD->setReadOnly(!enable);
    ui->cmbCat->setEnabled(enable);
    ui->dtpYmd->setEnabled(enable);
    ui->cmdPath->setEnabled(enable);
    for (QRadioButton* option : optG) {
        if (!option->isChecked()) {
            option->setEnabled(enable);
        }
    }
}

void frmMain::cmdPath_Click() {
    const ExportCommand::Inputs inputs{SelectedPeriod(), ui->txtCD->text(),
                                       context_.ExportDirectory(), ymdForm_};
    const auto end =
        export_.Run(inputs, *table_, [this](const QString& path) { ui->txtFile->setText(path); });
    if (end == ExportCommand::End::NotWritten) {
        ui->lblCount->setText(QStringLiteral("ファイル作成失敗"));
    }
}

void frmMain::cmbVbase_Click(int index) {
    const QComboBox* list = cmbVbase[index];
    // Emptying the list reports "no selection"; the divisor keeps its value until an entry is
    // chosen again.
    if (list->currentIndex() < 0) {
        return;
    }
    (index == 0 ? priceDivisor_ : volumeDivisor_) = list->currentData().toInt();
    if (!isLoading_ && table_->rowCount != 0) {
        ShowList();
    }
}

void frmMain::cmbYmdForm_Click() {
    if (isLoading_ || ui->cmbYmdForm->currentIndex() < 0) {
        return;
    }
    ymdForm_ = ui->cmbYmdForm->currentIndex();
    zidodu::WriteIni(context_.prompts, context_.settingsDirectory, ymdForm_);
}

void frmMain::closeEvent(QCloseEvent* event) {
    run_.Stop();
    if (chart_) {
        chart_->close();
    }
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lvR->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ShowChart();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ardentix
