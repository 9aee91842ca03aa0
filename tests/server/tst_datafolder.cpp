#include "datafolder.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// What lies at the data folder's path before the server starts.
enum Setup {
    Missing,
    OursOwnerOnly,
    OursFromOlderVersion, // 0755 with 0644 files, as the server used to leave it
    GroupWritable,
    OthersWritable,
    LinkToOurFolder,
    DanglingLink,
    OtherUsersFolder,
    AFile
};

constexpr QFileDevice::Permissions OwnerOnlyFolder
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions OwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OthersBits = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

// The permission bits that chmod sets, without Qt's "user" flags.
QFileDevice::Permissions modeOf(const QString &path)
{
    return QFileInfo(path).permissions() & (OwnerOnlyFolder | OthersBits);
}

bool makeFolder(const QString &path, QFileDevice::Permissions mode)
{
    return QDir().mkdir(path) && QFile::setPermissions(path, mode);
}

} // namespace

class tst_DataFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void prepare_data();
    void prepare();

private:
    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_DataFolder::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_DataFolder::prepare_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<bool>("usable");

    QTest::newRow("missing: created for the owner only") << int(Missing) << true;
    QTest::newRow("ours, owner only") << int(OursOwnerOnly) << true;
    QTest::newRow("ours, readable by others: closed") << int(OursFromOlderVersion) << true;
    QTest::newRow("writable by the group") << int(GroupWritable) << false;
    QTest::newRow("writable by everybody") << int(OthersWritable) << false;
    QTest::newRow("symbolic link to a folder of ours") << int(LinkToOurFolder) << false;
    QTest::newRow("dangling symbolic link") << int(DanglingLink) << false;
    QTest::newRow("another user's folder") << int(OtherUsersFolder) << false;
    QTest::newRow("a file, not a folder") << int(AFile) << false;
}

void tst_DataFolder::prepare()
{
#ifndef Q_OS_UNIX
    QSKIP("The data folder is checked on Unix only.");
#else
    QFETCH(int, setup);
    QFETCH(bool, usable);

    const QString path = m_dir->filePath(QStringLiteral("School"));
    const QString ours = m_dir->filePath(QStringLiteral("ours"));
    const QString file = path + QStringLiteral("/users_file.bin");
    const QFileDevice::Permissions readable = OwnerOnlyFile | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    switch (setup) {
    case Missing:
        break;
    case OursOwnerOnly:
        QVERIFY(makeFolder(path, OwnerOnlyFolder));
        break;
    case OursFromOlderVersion:
        QVERIFY(makeFolder(path, OwnerOnlyFolder | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                     | QFileDevice::ReadOther | QFileDevice::ExeOther));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly) && QFile::setPermissions(file, readable));
        break;
    case GroupWritable:
        QVERIFY(makeFolder(path, OwnerOnlyFolder | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                     | QFileDevice::ExeGroup));
        break;
    case OthersWritable:
        QVERIFY(makeFolder(path, OwnerOnlyFolder | OthersBits));
        break;
    case LinkToOurFolder:
        QVERIFY(makeFolder(ours, OwnerOnlyFolder));
        QVERIFY(QFile::link(ours, path));
        break;
    case DanglingLink:
        QVERIFY(QFile::link(ours, path));
        break;
    case OtherUsersFolder:
        // Only root can give a folder away.
        if (::geteuid() != 0)
            QSKIP("Needs root to make a folder of another user.");
        QVERIFY(makeFolder(path, OwnerOnlyFolder));
        QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        break;
    case AFile:
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(path, OwnerOnlyFile));
        break;
    }
    const QFileDevice::Permissions modeBefore = modeOf(path);

    const QString refusal = prepareDataFolder(path);
    QCOMPARE(refusal.isEmpty(), usable);
    if (usable) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(modeOf(path), OwnerOnlyFolder);
        if (QFileInfo::exists(file))
            QCOMPARE(modeOf(file), OwnerOnlyFile);
    } else {
        QVERIFY(refusal.contains(QDir::toNativeSeparators(path)));
        // A refused folder is left as it was, and nothing is made through a link.
        QCOMPARE(modeOf(path), modeBefore);
        QCOMPARE(QFileInfo::exists(ours), setup == LinkToOurFolder);
    }
#endif
}

QTEST_GUILESS_MAIN(tst_DataFolder)
#include "tst_datafolder.moc"
