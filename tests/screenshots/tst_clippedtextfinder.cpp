#include "tests/screenshots/ClippedTextFinder.h"
#include "tests/support/TestEnv.h"

#include <QLabel>
#include <QPushButton>

#include <memory>

class TestClippedTextFinder : public QObject
{
    Q_OBJECT
private slots:
    void findsCutTexts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("cut");
        const QString longText = QStringLiteral("这是一段放不下的很长的提示文字");
        QTest::newRow("label fits") << "label" << QStringLiteral("确定") << QSize(200, 30) << false;
        QTest::newRow("label cut on the right") << "label" << longText << QSize(60, 30) << true;
        QTest::newRow("label cut at the bottom")
            << "label" << QStringLiteral("确定") << QSize(200, 6) << true;
        QTest::newRow("wrapped label fits") << "wrapped" << longText << QSize(80, 200) << false;
        QTest::newRow("wrapped label cut at the bottom") << "wrapped" << longText << QSize(80, 20) << true;
        QTest::newRow("button fits") << "button" << QStringLiteral("登录") << QSize(80, 30) << false;
        QTest::newRow("button cut") << "button" << longText << QSize(60, 30) << true;
        QTest::newRow("cut but allowed to elide") << "eliding" << longText << QSize(60, 30) << false;
        QTest::newRow("hidden") << "hidden" << longText << QSize(60, 30) << false;
    }
    void findsCutTexts()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QSize, size);
        QFETCH(bool, cut);
        auto window = std::make_unique<QWidget>();
        window->resize(400, 300);
        QWidget *widget = nullptr;
        if (kind == QLatin1String("button")) {
            widget = new QPushButton(text, window.get());
        } else {
            auto *label = new QLabel(text, window.get());
            label->setWordWrap(kind == QLatin1String("wrapped"));
            widget = label;
        }
        widget->setGeometry(QRect(QPoint(10, 10), size));
        if (kind == QLatin1String("eliding"))
            widget->setProperty("screenshotMayClip", true);
        window->show();
        if (kind == QLatin1String("hidden"))
            widget->hide();
        const QStringList found = ClippedTextFinder::find(window.get());
        QCOMPARE(found.size(), cut ? 1 : 0);
        if (cut)
            QVERIFY(found.first().contains(text.left(10)));
    }
};

PRELVANE_TEST_MAIN(TestClippedTextFinder)
#include "tst_clippedtextfinder.moc"
