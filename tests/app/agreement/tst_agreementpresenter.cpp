#include "app/agreement/AgreementPresenter.h"
#include "platform/base/UserDefaults.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

using Prompt = AgreementPresenter::Prompt;

namespace {

// "absent", "YES" or "NO".
QString storedKey()
{
    if (!UserDefaults::contains(AgreementPresenter::key()))
        return QStringLiteral("absent");
    return UserDefaults::boolValue(AgreementPresenter::key()) ? QStringLiteral("YES") : QStringLiteral("NO");
}

void storeKey(const QString &value)
{
    if (value == QLatin1String("absent"))
        UserDefaults::remove(AgreementPresenter::key());
    else
        UserDefaults::setValue(AgreementPresenter::key(), value == QLatin1String("YES"));
}

} // namespace

class TestAgreementPresenter : public QObject
{
    Q_OBJECT
private slots:
    void init() { TestEnv::freshFolders(); }

    void answers_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("answers"); // a = agree, d = disagree
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("loginHidden");
        QTest::addColumn<int>("promptsShown");
        QTest::newRow("first launch, agree") << "absent"
                                             << "a"
                                             << "YES" << false << 1;
        QTest::newRow("refuse, then agree") << "absent"
                                            << "da"
                                            << "YES" << false << 2;
        QTest::newRow("refuse twice") << "absent"
                                      << "dd"
                                      << "NO" << true << 2;
        QTest::newRow("refused before: asked again") << "NO"
                                                     << "a"
                                                     << "YES" << false << 1;
        QTest::newRow("refused before, refuse twice again") << "NO"
                                                            << "dd"
                                                            << "NO" << true << 2;
        QTest::newRow("agreed before: nothing asked") << "YES"
                                                      << ""
                                                      << "YES" << false << 0;
    }
    void answers()
    {
        QFETCH(QString, before);
        QFETCH(QString, answers);
        QFETCH(QString, after);
        QFETCH(bool, loginHidden);
        QFETCH(int, promptsShown);
        storeKey(before);
        AgreementPresenter presenter;
        QSignalSpy prompts(&presenter, &AgreementPresenter::promptChanged);
        QSignalSpy hide(&presenter, &AgreementPresenter::loginWindowHideRequested);

        QCOMPARE(presenter.start(), before != QLatin1String("YES"));
        for (QChar answer : answers) {
            QVERIFY(presenter.prompt() != Prompt::None);
            if (answer == QLatin1Char('a'))
                presenter.agreeClicked();
            else
                presenter.disagreeClicked();
        }
        QCOMPARE(presenter.prompt(), Prompt::None);
        QCOMPARE(storedKey(), after);
        QCOMPARE(hide.size(), loginHidden ? 1 : 0);
        int shown = 0;
        for (const QList<QVariant> &signal : prompts)
            shown += signal.first().value<Prompt>() != Prompt::None ? 1 : 0;
        QCOMPARE(shown, promptsShown);
        // Answers with no prompt shown change nothing.
        presenter.disagreeClicked();
        presenter.agreeClicked();
        QCOMPARE(storedKey(), after);
        QCOMPARE(hide.size(), loginHidden ? 1 : 0);
    }

    void firstRefusalLeadsToTheInsistingPrompt()
    {
        AgreementPresenter presenter;
        presenter.start();
        QCOMPARE(presenter.prompt(), Prompt::First);
        presenter.disagreeClicked();
        QCOMPARE(presenter.prompt(), Prompt::Insisting);
        QCOMPARE(storedKey(), QStringLiteral("absent"));
    }

    void linksOpenPagesWithoutAnswering()
    {
        AgreementPresenter presenter;
        presenter.start();
        QSignalSpy pages(&presenter, &AgreementPresenter::pageRequested);
        presenter.linkClicked(AgreementPresenter::agreementValue());
        presenter.linkClicked(AgreementPresenter::privacyValue());
        presenter.disagreeClicked();
        presenter.linkClicked(AgreementPresenter::agreementValue());
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages.at(0).first().toString(), QStringLiteral("protocol"));
        QCOMPARE(pages.at(1).first().toString(), QStringLiteral("secret"));
        QCOMPARE(presenter.prompt(), Prompt::Insisting);
        QCOMPARE(storedKey(), QStringLiteral("absent"));
    }

    void pageOfALinkValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("page");
        QTest::newRow("prompt agreement") << QStringLiteral("Prelvane用户协议") << "protocol";
        QTest::newRow("login line agreement") << QStringLiteral("用户协议") << "protocol";
        QTest::newRow("privacy") << QStringLiteral("隐私政策") << "secret";
        QTest::newRow("anything else") << QStringLiteral("其他") << "secret";
    }
    void pageOfALinkValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, page);
        QCOMPARE(AgreementPresenter::pageForLink(value), page);
    }

    void shippedWordingLinksEveryTitle_data()
    {
        QTest::addColumn<Prompt>("prompt");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("first") << Prompt::First
                               << QStringList{QStringLiteral("Prelvane用户协议"),
                                              QStringLiteral("Prelvane用户协议"), QStringLiteral("隐私政策"),
                                              QStringLiteral("隐私政策")};
        QTest::newRow("insisting") << Prompt::Insisting
                                   << QStringList{QStringLiteral("隐私政策"),
                                                  QStringLiteral("Prelvane用户协议"),
                                                  QStringLiteral("隐私政策")};
    }
    void shippedWordingLinksEveryTitle()
    {
        QFETCH(Prompt, prompt);
        QFETCH(QStringList, values);
        const QString text = AgreementPresenter::promptText(prompt);
        const QList<AgreementLink> links = AgreementPresenter::links(prompt);
        QStringList got;
        QList<qsizetype> starts;
        for (const AgreementLink &link : links) {
            got << link.value;
            starts << link.range.location;
            const QString title = link.value == AgreementPresenter::agreementValue()
                                      ? AgreementPresenter::agreementTitle()
                                      : AgreementPresenter::privacyTitle();
            QCOMPARE(text.mid(link.range.location, link.range.length), title);
        }
        QCOMPARE(got, values);
        // Every link covers its own occurrence.
        QCOMPARE(QSet<qsizetype>(starts.begin(), starts.end()).size(), starts.size());
        // Every title in the text is a link.
        QCOMPARE(text.count(AgreementPresenter::agreementTitle()) +
                     text.count(AgreementPresenter::privacyTitle()),
                 links.size());
    }
};

PRELVANE_TEST_MAIN(TestAgreementPresenter)
#include "tst_agreementpresenter.moc"
