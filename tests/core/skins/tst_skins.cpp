#include "core/model/UISkin.h"
#include "core/skins/SkinManager.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QColor>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

class TestSkins : public QObject
{
    Q_OBJECT

    QString m_folder;
    std::unique_ptr<SkinManager> m_skins;

    SkinManager &skins() const { return *m_skins; }

    // Rows of {skinName, sort, bgHex, naviHex}.
    QString writeCatalog(const QList<QStringList> &rows)
    {
        QJsonArray array;
        for (const QStringList &r : rows)
            array.append(QJsonObject{{"skinName", r[0]}, {"sort", r[1]}, {"bgHex", r[2]}, {"naviHex", r[3]}});
        const QByteArray json = QJsonDocument(array).toJson();
        const QString path = m_folder + "/skins.json";
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(json);
        return path;
    }

    static int currentCount()
    {
        int n = 0;
        for (UISkin *s : TestStore::context()->findAll<UISkin>())
            n += s->isCurrSkin() ? 1 : 0;
        return n;
    }

private slots:
    void init()
    {
        m_folder = TestEnv::freshFolders();
        QVERIFY(TestStore::setupCoreData().ok());
        m_skins = std::make_unique<SkinManager>(*TestStore::context());
    }
    void cleanup()
    {
        m_skins.reset();
        TestStore::cleanUp();
    }

    void builtInCatalogSeedsOnce()
    {
        const QList<SkinListModel> list = SkinManager::getSkinList();
        QVERIFY(list.size() >= 8);
        bool has26 = false;
        for (const SkinListModel &m : list) {
            QVERIFY(m.sortValue() > 25);
            QVERIFY(QColor::isValidColorName(m.skinName()) || QColor(m.skinName()).isValid());
            has26 = has26 || m.sortValue() == 26;
        }
        QVERIFY(has26);

        QVERIFY(skins().addSkinToLocal());
        QVERIFY(skins().addSkinToLocal());
        auto fresh = TestStore::store()->newContext();
        const QList<UISkin *> rows = fresh->findAll<UISkin>();
        QCOMPARE(rows.size(), list.size());
        for (UISkin *s : rows) {
            QVERIFY(s->sort() > 25);
            QCOMPARE(s->barColor(), s->selectColor());
        }
    }

    void rowsAreRefreshedAndOldRowsSkipped()
    {
        const QString path = writeCatalog({{"#111111", "25", "#000000", "#111111"},
                                           {"#222222", "26", "#f0f0f0", "#222222"},
                                           {"#333333", "40", "#e0e0e0", "#333333"}});
        QVERIFY(skins().addSkinToLocal(path));
        Context *ctx = TestStore::context();
        QVERIFY(!ctx->findFirstByAttribute<UISkin>("nameId", "#111111"));
        UISkin *s26 = ctx->findFirstByAttribute<UISkin>("nameId", "#222222");
        QVERIFY(s26);
        QCOMPARE(s26->sort(), qint16(26));
        QCOMPARE(s26->bgColor(), QString("#f0f0f0"));
        QVERIFY(skins().resetCurrSkin(s26));

        // A later catalogue changes colours, keeps the current mark and the vanished row.
        const QString next = writeCatalog({{"#222222", "26", "#abcdef", "#222222"}});
        QVERIFY(skins().addSkinToLocal(next));
        QCOMPARE(s26->bgColor(), QString("#abcdef"));
        QVERIFY(s26->isCurrSkin());
        QCOMPARE(ctx->findAll<UISkin>().size(), 2);
    }

    void currentSkinIsUnique()
    {
        QVERIFY(skins().addSkinToLocal());
        UISkin *first = skins().getCurrSkin();
        QVERIFY(first);
        QCOMPARE(first->sort(), qint16(26));
        QVERIFY(first->isCurrSkin());
        QCOMPARE(currentCount(), 1);
        QCOMPARE(skins().getCurrSkin(), first);

        UISkin *other = TestStore::context()->findFirstByAttribute<UISkin>("sort", 30);
        QVERIFY(other);
        QVERIFY(skins().resetCurrSkin(other));
        QCOMPARE(currentCount(), 1);
        QCOMPARE(skins().getCurrSkin(), other);
        QVERIFY(!skins().resetCurrSkin(nullptr));
        QCOMPARE(skins().getCurrSkin(), other);

        auto fresh = TestStore::store()->newContext();
        QCOMPARE(fresh->findByAttribute<UISkin>("isCurrSkin", true).size(), 1);
        QCOMPARE(fresh->findFirstByAttribute<UISkin>("isCurrSkin", true)->nameId(), other->nameId());
    }

    void fallbackWithoutTheDefaultSkin()
    {
        const QString path =
            writeCatalog({{"#444444", "31", "#ffffff", "#444444"}, {"#555555", "28", "#ffffff", "#555555"}});
        QVERIFY(!skins().getCurrSkin()); // no skins at all
        QVERIFY(skins().addSkinToLocal(path));
        UISkin *s = skins().getCurrSkin();
        QVERIFY(s);
        QCOMPARE(s->nameId(), QString("#555555"));
        QVERIFY(!skins().addSkinToLocal(m_folder + "/missing.json"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestSkins)
#include "tst_skins.moc"
