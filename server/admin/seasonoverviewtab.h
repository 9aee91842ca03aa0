#ifndef SEASONOVERVIEWTAB_H
#define SEASONOVERVIEWTAB_H

#include <QScopedPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>

class DataStore;
class SeasonOverviewModel;

namespace Ui {
class SeasonOverviewTab;
}

// The tab "Итоги сезона": per teacher and block, how many experts have
// rated the teacher and how high, and whether the teacher rated themself,
// with its CSV export and PDF print. It follows the store's changes by
// itself: a change only marks what it affects (the rows and columns, or the
// sums over the answers), and that part is redone once, when control is
// back in the event loop and the tab is on screen.
class SeasonOverviewTab : public QWidget
{
    Q_OBJECT

public:
    explicit SeasonOverviewTab(DataStore *store, QWidget *parent = nullptr);
    ~SeasonOverviewTab() override;

    const SeasonOverviewModel *model() const { return m_model; }
    // Redoes now what the store's changes have made out of date.
    void refresh();
    // The table as it is shown; false when the file could not be written.
    bool exportCsv(const QString &fileName);
    bool printPdf(const QString &fileName);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_cb_overview_group_currentIndexChanged(int index);
    void on_cb_overview_season_currentIndexChanged(int index);
    void on_pb_overview_csv_clicked();
    void on_pb_overview_pdf_clicked();

private:
    enum Part { Layout = 1, Tally = 2 };
    void outdate(int parts);
    void expertsMayHaveChanged();
    QVector<qint32> expertIds() const;
    bool wholeStore() const;
    QString title() const;
    void showSaveResult(bool saved, const QString &fileName);

    QScopedPointer<Ui::SeasonOverviewTab> ui;
    DataStore *m_store;
    SeasonOverviewModel *m_model;
    QTimer m_refreshTimer;
    int m_outdated = Layout | Tally;
    // The tally counts the answers of these accounts as experts'.
    QVector<qint32> m_expertIds;
};

#endif // SEASONOVERVIEWTAB_H
