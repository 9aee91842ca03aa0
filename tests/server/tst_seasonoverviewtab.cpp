#include "datastore.h"
#include "seasonoverviewmodel.h"
#include "seasonoverviewtab.h"
#include "tst_overviewfixtures.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace overviewfixtures;

class tst_SeasonOverviewTab : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void followsStore();
    void waitsWhileHidden();
    void exports();

private:
    QString text(int row, int column) const
    {
        return m_tab->model()->index(row, column).data().toString();
    }

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<DataStore> m_store;
    QScopedPointer<SeasonOverviewTab> m_tab;
};

void tst_SeasonOverviewTab::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_store.reset(new DataStore(m_dir->path()));
    m_store->load();
    QVERIFY(m_store->setQuestions(questions()));
    const AccountStore all = accounts();
    for (int kind = 0; kind < all.size(); ++kind) {
        for (const Account &account : all.at(kind))
            QVERIFY(m_store->addAccount(kind, account));
    }
    QVERIFY(m_store->appendAnswers(answers()));
    QVERIFY(m_store->setSeasonStart(seasonStart()));
    m_tab.reset(new SeasonOverviewTab(m_store.data()));
    m_tab->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tab.data()));
}

void tst_SeasonOverviewTab::cleanup()
{
    m_tab.reset();
    m_store.reset();
    m_dir.reset();
}

// Rows Анна, Борис, Вера; columns Урок, Общие of each group, self-rating.
void tst_SeasonOverviewTab::followsStore()
{
    const QAbstractItemModel *model = m_tab->model();
    QCOMPARE(model->columnCount(), 4);
    QCOMPARE(text(1, 0), QStringLiteral("—"));
    QVERIFY(model->index(1, 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(!model->index(2, 0).data().isValid());
    QCOMPARE(text(0, 3), QStringLiteral("1 из 2 блоков"));

    QVERIFY(m_store->appendAnswers({makeAnswer(100, 10, 5, 2, seasonStart(), 5, 0, 1, 5)}));
    QTRY_COMPARE(text(1, 0), QStringLiteral("1 эксп. · 100 %"));
    QVERIFY(!model->index(1, 0).data(Qt::BackgroundRole).isValid());

    Account renamed = m_store->accounts().at(TeacherDoKind).at(1);
    renamed.name = QStringLiteral("Борис Андреевич Иванов");
    QVERIFY(m_store->updateAccount(TeacherDoKind, 1, renamed));
    QTRY_COMPARE(model->headerData(1, Qt::Vertical).toString(), renamed.name);

    QVERIFY(m_store->setSeasonStart(seasonStart().addDays(2)));
    QTRY_COMPARE(text(1, 0), QStringLiteral("—"));
    auto *season = m_tab->findChild<QComboBox *>(QStringLiteral("cb_overview_season"));
    season->setCurrentIndex(1);
    QTRY_COMPARE(text(1, 0), QStringLiteral("1 эксп. · 100 %"));
    QCOMPARE(text(1, 1), QStringLiteral("1 эксп. · 50 %"));

    m_tab->findChild<QComboBox *>(QStringLiteral("cb_overview_group"))->setCurrentIndex(2);
    QTRY_COMPARE(model->rowCount(), 1);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Общие"));
    QCOMPARE(text(0, 1), QStringLiteral("1 из 1 блока"));
}

void tst_SeasonOverviewTab::waitsWhileHidden()
{
    m_tab->hide();
    QVERIFY(m_store->appendAnswers({makeAnswer(100, 10, 5, 2, seasonStart(), 5, 0, 1, 5)}));
    QCoreApplication::processEvents();
    QCOMPARE(text(1, 0), QStringLiteral("—"));
    m_tab->show();
    QCOMPARE(text(1, 0), QStringLiteral("1 эксп. · 100 %"));
}

void tst_SeasonOverviewTab::exports()
{
    const QString csv = m_dir->filePath(QStringLiteral("итоги.csv"));
    QVERIFY(m_tab->exportCsv(csv));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // "Педагог;" in Windows-1251, four lines ending in CR LF.
    QVERIFY(bytes.startsWith("\xcf\xe5\xe4\xe0\xe3\xee\xe3;"));
    QCOMPARE(bytes.count("\r\n"), 4);
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(bytes.contains(";2;58,3;1;;;;1 "));

    const QString pdf = m_dir->filePath(QStringLiteral("итоги.pdf"));
    QVERIFY(m_tab->printPdf(pdf));
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.readAll().startsWith("%PDF"));

    const QString nowhere = m_dir->filePath(QStringLiteral("нет/итоги"));
    QVERIFY(!m_tab->exportCsv(nowhere + QStringLiteral(".csv")));
    QVERIFY(!m_tab->printPdf(nowhere + QStringLiteral(".pdf")));
}

QTEST_MAIN(tst_SeasonOverviewTab)
#include "tst_seasonoverviewtab.moc"
