// A link the desktop cannot open is reported with its address; the offscreen
// platform of the tests opens none.

#include "app/services/DesktopUrlOpener.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"

#include <QtTest>

class TestDesktopUrlOpener : public QObject
{
    Q_OBJECT

private slots:
    void aLinkThatDoesNotOpenIsReportedWithItsAddress()
    {
        RecordingFeedback feedback;
        DesktopUrlOpener opener(&feedback);
        const QUrl link(QStringLiteral("http://127.0.0.1:9/user?session=1"));
        QVERIFY(!opener.openUrl(link));
        QCOMPARE(feedback.messages(), QStringList{DesktopUrlOpener::notOpenedText(link)});
        QVERIFY(feedback.messages().first().contains(link.toString()));
        // Not even a valid address is lost silently.
        QVERIFY(!opener.openUrl(QUrl()));
        QCOMPARE(feedback.messages().size(), 2);
    }
};

PRELVANE_TEST_MAIN(TestDesktopUrlOpener)
#include "tst_desktopurlopener.moc"
