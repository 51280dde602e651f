#include "app/uikit/AlertManager.h"

#include "platform/text/TextRange.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

constexpr const char *kSheetProperty = "prelvane_sheet";

QPointer<QWidget> &currentWindowSlot()
{
    static QPointer<QWidget> window;
    return window;
}

// Longer texts are unreadable in a sheet, and laying out a runaway reply
// (megabytes) would freeze the window for many seconds.
constexpr qsizetype kMaxShownText = 2000;
// The message's width in a sheet: a short text in one line, a long one wrapped.
constexpr int kMinTextWidth = 240;
constexpr int kMaxTextWidth = 420;

QString shownText(const QString &text)
{
    if (text.size() <= kMaxShownText)
        return text;
    return text.left(TextRange{0, kMaxShownText}.clampedToText(text).length) + QStringLiteral("…");
}

QMessageBox *makeAlert(const QString &message, const QString &doneText)
{
    auto *alert = new QMessageBox;
    alert->setWindowTitle(QStringLiteral("提示"));
    alert->setText(QStringLiteral("提示"));
    alert->setInformativeText(shownText(message));
    alert->setIcon(QMessageBox::Warning);
    // The body is often the service's message: markup in it is text.
    if (auto *body = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        body->setTextFormat(Qt::PlainText);
        // Chinese text breaks between any two characters: left to its own width the box is narrow and splits
        // words of a short sentence. A short one stays on one line, a long one wraps at a readable width.
        const QFontMetrics metrics(body->font());
        int longest = 0;
        for (const QString &line : body->text().split(QLatin1Char('\n')))
            longest = std::max(longest, metrics.horizontalAdvance(line));
        body->setMinimumWidth(std::clamp(longest + metrics.averageCharWidth(), kMinTextWidth, kMaxTextWidth));
    }
    if (auto *headline = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = headline->font();
        bold.setBold(true);
        headline->setFont(bold);
    }
    QPushButton *done = alert->addButton(doneText, QMessageBox::AcceptRole);
    alert->setDefaultButton(done);
    alert->setEscapeButton(done);
    return alert;
}

// Ends a sheet whose window is closed or hidden by the program (logout,
// window switch): such a sheet would otherwise wait unseen and its handler
// never hear back. A hide by the window system (minimising) keeps it.
class SheetWindowWatch final : public QObject
{
public:
    SheetWindowWatch(QMessageBox *alert, QWidget *window) : QObject(alert), m_alert(alert)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Later, not inside the hide: a window being destroyed hides first,
        // and the sheet then goes with it (answered when destroyed).
        if (event->type() == QEvent::Hide && !event->spontaneous()) {
            QMessageBox *alert = m_alert;
            QTimer::singleShot(0, alert, [alert] { alert->done(QDialog::Rejected); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMessageBox *m_alert;
};

} // namespace

QMessageBox *AlertManager::showAlertWithMessage(const QString &message, const QString &doneText)
{
    return makeAlert(message, doneText);
}

void AlertManager::showDefaultMessageAlertWithDetailText(const QString &text)
{
    showDefaultMessageAlertWithDetailText(text, {});
}

void AlertManager::showDefaultMessageAlertWithDetailText(const QString &text, Handler handler)
{
    beginSheet(makeAlert(text, QStringLiteral("确定")), std::move(handler));
}

void AlertManager::showAddCancleButtonAlertWithText(const QString &text, Handler handler)
{
    showTwoButtonAlertWithMsgText(text, QStringLiteral("确定"), QStringLiteral("取消"), std::move(handler));
}

void AlertManager::showTwoButtonAlertWithMsgText(const QString &text, const QString &doneText,
                                                 const QString &cancleText, Handler handler)
{
    QMessageBox *alert = makeAlert(text, doneText);
    QPushButton *cancel = alert->addButton(cancleText, QMessageBox::RejectRole);
    alert->setEscapeButton(cancel);
    beginSheet(alert, std::move(handler));
}

void AlertManager::showMessageOn(QWidget *window, const QString &text, Handler handler)
{
    beginSheet(makeAlert(text, QStringLiteral("确定")), std::move(handler), window);
}

void AlertManager::showConfirmOn(QWidget *window, const QString &text, Handler handler)
{
    QMessageBox *alert = makeAlert(text, QStringLiteral("确定"));
    QPushButton *cancel = alert->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    alert->setEscapeButton(cancel);
    beginSheet(alert, std::move(handler), window);
}

void AlertManager::setCurrentWindow(QWidget *window)
{
    currentWindowSlot() = window ? window->window() : nullptr;
}

QWidget *AlertManager::currentWindow()
{
    QWidget *window = currentWindowSlot().data();
    if (window && window->isVisible())
        return window;
    window = QApplication::activeWindow();
    // A sheet goes when it is answered; one attached to it would go with it.
    while (window && window->property(kSheetProperty).toBool())
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    return window;
}

void AlertManager::beginSheet(QMessageBox *alert, Handler handler, QWidget *window)
{
    alert->setProperty(kSheetProperty, true);
    window = window && window->isVisible() ? window->window() : currentWindow();
    if (window) {
        alert->setParent(window, alert->windowFlags());
        alert->setWindowModality(Qt::WindowModal);
        new SheetWindowWatch(alert, window);
    } else {
        alert->setWindowModality(Qt::ApplicationModal);
    }

    // The handler is owed exactly one answer, also when the sheet's window is
    // closed and destroyed under it.
    auto answered = std::make_shared<bool>(false);
    auto shared = std::make_shared<Handler>(std::move(handler));
    QAbstractButton *done = alert->buttons().isEmpty() ? nullptr : alert->defaultButton();
    QObject::connect(alert, &QDialog::finished, alert, [alert, done, answered, shared](int) {
        if (*answered)
            return;
        *answered = true;
        const bool first = done && alert->clickedButton() == done;
        alert->deleteLater();
        if (*shared)
            (*shared)(first);
    });
    QObject::connect(alert, &QObject::destroyed, qApp, [answered, shared] {
        if (*answered)
            return;
        *answered = true;
        if (*shared)
            QTimer::singleShot(0, qApp, [shared] { (*shared)(false); });
    });
    // Quitting answers what is still open while the handlers can still run.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, alert, [alert] {
        if (alert->isVisible())
            alert->done(QDialog::Rejected);
    });
    alert->show();
}
