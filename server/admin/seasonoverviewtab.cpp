#include "seasonoverviewtab.h"
#include "ui_seasonoverviewtab.h"

#include "csvline.h"
#include "datastore.h"
#include "seasonoverviewmodel.h"

#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QHeaderView>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

SeasonOverviewTab::SeasonOverviewTab(DataStore *store, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SeasonOverviewTab)
    , m_store(store)
    , m_model(new SeasonOverviewModel(this))
{
    ui->setupUi(this);
    ui->tv_overview->setModel(m_model);
    ui->tv_overview->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    ui->tv_overview->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->tv_overview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
    });
    connect(m_store, &DataStore::answersWritten, this, [this] { outdate(Tally); });
    connect(m_store, &DataStore::seasonStartChanged, this, [this] { outdate(Tally); });
    // Answers to a question that is gone count nowhere.
    connect(m_store, &DataStore::questionsChanged, this, [this] { outdate(Layout | Tally); });
    connect(m_store, &DataStore::accountsChanged, this, &SeasonOverviewTab::expertsMayHaveChanged);
}

SeasonOverviewTab::~SeasonOverviewTab() = default;

void SeasonOverviewTab::outdate(int parts)
{
    m_outdated |= parts;
    if (isVisible())
        m_refreshTimer.start();
}

// Renaming a teacher changes the rows only; the sums are redone when an
// expert came or went.
void SeasonOverviewTab::expertsMayHaveChanged()
{
    outdate(expertIds() == m_expertIds ? Layout : Layout | Tally);
}

QVector<qint32> SeasonOverviewTab::expertIds() const
{
    QVector<qint32> ids;
    for (const Account &expert : m_store->accounts().value(ExpertKind))
        ids.append(expert.id);
    return ids;
}

bool SeasonOverviewTab::wholeStore() const
{
    return ui->cb_overview_season->currentIndex() == 1;
}

QString SeasonOverviewTab::title() const
{
    return overviewTitle(m_store->seasonStart(), wholeStore());
}

void SeasonOverviewTab::refresh()
{
    m_refreshTimer.stop();
    if (m_outdated == 0)
        return;
    const int parts = m_outdated;
    m_outdated = 0;
    if (parts & Layout) {
        const int group = ui->cb_overview_group->currentIndex() - 1;
        m_model->setOverviewLayout(overviewLayout(m_store->questions(), m_store->accounts(), group));
    }
    if (parts & Tally) {
        m_expertIds = expertIds();
        const QDate since = wholeStore() ? QDate() : m_store->seasonStart();
        m_model->setTally(OverviewTally(m_store->questions(), m_store->accounts(), m_store->answers(), since));
    }
    ui->l_overview_title->setText(title());
    ui->tv_overview->resizeColumnsToContents();
    ui->tv_overview->verticalHeader()->resizeSections(QHeaderView::ResizeToContents);
}

void SeasonOverviewTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void SeasonOverviewTab::on_cb_overview_group_currentIndexChanged(int)
{
    outdate(Layout);
}

void SeasonOverviewTab::on_cb_overview_season_currentIndexChanged(int)
{
    outdate(Tally);
}

bool SeasonOverviewTab::exportCsv(const QString &fileName)
{
    refresh();
    return saveCsv(fileName, overviewCsv(m_model->overviewLayout(), m_model->tally()));
}

bool SeasonOverviewTab::printPdf(const QString &fileName)
{
    refresh();
    QSaveFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        // The document lays itself out in pixels of the screen's size.
        writer.setResolution(96);
        writer.setTitle(title());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        QTextDocument document;
        // Small enough for a school's blocks side by side on a landscape page.
        QFont font = document.defaultFont();
        font.setPointSizeF(7);
        document.setDefaultFont(font);
        document.setHtml(overviewHtml(m_model->overviewLayout(), m_model->tally(), title()));
        document.print(&writer);
    }
    // commit() overlooks a write that fails in its own final flush (a full
    // disk) and would put a cut file in place.
    return file.flush() && file.commit();
}

void SeasonOverviewTab::on_pb_overview_csv_clicked()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Сохраните экспортный файл"),
                                                          QDir::home().filePath(tr("Итоги сезона.csv")),
                                                          tr("Data Files (*.csv)"));
    if (!fileName.isEmpty())
        showSaveResult(exportCsv(fileName), fileName);
}

void SeasonOverviewTab::on_pb_overview_pdf_clicked()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Сохраните файл для печати"),
                                                          QDir::home().filePath(tr("Итоги сезона.pdf")),
                                                          tr("PDF (*.pdf)"));
    if (!fileName.isEmpty())
        showSaveResult(printPdf(fileName), fileName);
}

void SeasonOverviewTab::showSaveResult(bool saved, const QString &fileName)
{
    if (!saved)
        QMessageBox::warning(this, tr("Итоги сезона"),
                             tr("Не удалось записать файл %1.").arg(QDir::toNativeSeparators(fileName)));
}
