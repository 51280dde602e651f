#include "app/agreement/AgreementPresenter.h"
#include "app/agreementwindows/AgreementPageWindow.h"
#include "app/agreementwindows/AgreementPromptDialog.h"
#include "app/agreementwindows/AgreementPrompts.h"
#include "app/uikit/CustomButton.h"
#include "platform/base/UserDefaults.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>

#include <memory>

using Prompt = AgreementPresenter::Prompt;

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QList<AgreementPageWindow *> openPages()
{
    QList<AgreementPageWindow *> pages;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *page = qobject_cast<AgreementPageWindow *>(widget); page && page->isVisible())
            pages << page;
    }
    return pages;
}

// Clicks the middle of a link as a user does.
void clickLink(AgreementPromptDialog *dialog, const AgreementLink &link)
{
    QTextBrowser *view = dialog->contentTextView();
    QTextCursor cursor(view->document());
    cursor.setPosition(int(link.range.location + link.range.length / 2));
    const QPoint at = view->cursorRect(cursor).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestAgreementWindows : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QWidget> login;
    std::unique_ptr<AgreementPresenter> presenter;

private slots:
    void init()
    {
        TestEnv::freshFolders();
        login = std::make_unique<QWidget>();
        login->resize(400, 500);
        login->show();
        presenter = std::make_unique<AgreementPresenter>();
        new AgreementPrompts(presenter.get(), login.get());
    }
    void cleanup()
    {
        presenter.reset();
        for (AgreementPageWindow *page : openPages())
            page->close();
        login.reset();
        flushDeletes();
    }

    void refusedTwiceHidesTheLoginWindow()
    {
        auto *prompts = presenter->findChild<AgreementPrompts *>();
        presenter->start();
        QPointer<AgreementPromptDialog> first = prompts->currentDialog();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->prompt(), Prompt::First);
        QCOMPARE(first->agreeButton()->lp_bgColor(), QColor(0xFF, 0x3B, 0x30));

        // No minimise or zoom button: the close button alone is named (it answers as "不同意").
        const Qt::WindowFlags flags = first->windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

        QTest::mouseClick(first->disagreeButton(), Qt::LeftButton);
        flushDeletes();
        QVERIFY(!first);
        AgreementPromptDialog *second = prompts->currentDialog();
        QVERIFY(second && second->isVisible());
        QCOMPARE(second->prompt(), Prompt::Insisting);
        QVERIFY(login->isVisible());

        QTest::mouseClick(second->disagreeButton(), Qt::LeftButton);
        QVERIFY(!login->isVisible());
        QCOMPARE(UserDefaults::contains(AgreementPresenter::key()), true);
        QCOMPARE(UserDefaults::boolValue(AgreementPresenter::key()), false);
        QVERIFY(!prompts->currentDialog());
    }

    // Escape, and a close button that the window manager shows anyway, say no as "不同意" does.
    void escapeAndCloseRefuse()
    {
        auto *prompts = presenter->findChild<AgreementPrompts *>();
        presenter->start();
        QPointer<AgreementPromptDialog> first = prompts->currentDialog();
        QTest::keyClick(first, Qt::Key_Escape);
        flushDeletes();
        QVERIFY(!first);
        QPointer<AgreementPromptDialog> second = prompts->currentDialog();
        QVERIFY(second && second->isVisible());
        QCOMPARE(second->prompt(), Prompt::Insisting);
        QVERIFY(!UserDefaults::contains(AgreementPresenter::key()));

        second->close();
        flushDeletes();
        QVERIFY(!second);
        QVERIFY(!prompts->currentDialog());
        QVERIFY(!login->isVisible());
        QCOMPARE(UserDefaults::contains(AgreementPresenter::key()), true);
        QCOMPARE(UserDefaults::boolValue(AgreementPresenter::key()), false);
    }

    void agreeingClosesThePrompt()
    {
        auto *prompts = presenter->findChild<AgreementPrompts *>();
        presenter->start();
        QPointer<AgreementPromptDialog> dialog = prompts->currentDialog();
        QTest::keyClick(dialog->agreeButton(), Qt::Key_Space);
        QVERIFY(UserDefaults::boolValue(AgreementPresenter::key()));
        flushDeletes();
        QVERIFY(!dialog);
        QVERIFY(login->isVisible());
    }

    void linksOpenTheirPages_data()
    {
        QTest::addColumn<Prompt>("prompt");
        QTest::newRow("first prompt") << Prompt::First;
        QTest::newRow("insisting prompt") << Prompt::Insisting;
    }
    void linksOpenTheirPages()
    {
        QFETCH(Prompt, prompt);
        auto *prompts = presenter->findChild<AgreementPrompts *>();
        presenter->start();
        if (prompt == Prompt::Insisting)
            presenter->disagreeClicked();
        AgreementPromptDialog *dialog = prompts->currentDialog();
        QCOMPARE(dialog->prompt(), prompt);
        for (const AgreementLink &link : AgreementPresenter::links(prompt)) {
            clickLink(dialog, link);
            const QList<AgreementPageWindow *> pages = openPages();
            QCOMPARE(pages.size(), 1);
            QCOMPARE(pages.first()->url(),
                     AgreementPageWindow::pageUrl(AgreementPresenter::pageForLink(link.value)));
            pages.first()->close();
            flushDeletes();
        }
        QCOMPARE(prompts->currentDialog(), dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!UserDefaults::contains(AgreementPresenter::key()));
    }

    void pagesHaveTheirTexts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("agreement") << "protocol" << QStringLiteral("Prelvane用户协议");
        QTest::newRow("privacy") << "secret" << QStringLiteral("隐私政策");
    }
    void pagesHaveTheirTexts()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QPointer<AgreementPageWindow> window = AgreementPageWindow::open(page, login.get());
        QCOMPARE(window->windowTitle(), title);
        const QString text = window->textView()->toPlainText();
        QVERIFY(text.size() > 500);
        QVERIFY(text.startsWith(title));
        window->close();
        flushDeletes();
        QVERIFY(!window);
    }
};

PRELVANE_TEST_MAIN(TestAgreementWindows)
#include "tst_agreementwindows.moc"
