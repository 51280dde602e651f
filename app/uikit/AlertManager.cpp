#include "app/uikit/AlertManager.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

constexpr const char *kSheetProperty = "prelvane_sheet";

QPointer<QWidget> &currentWindowSlot()
{
    static QPointer<QWidget> window;
    return window;
}

QMessageBox *makeAlert(const QString &message, const QString &doneText)
{
    auto *alert = new QMessageBox;
    alert->setWindowTitle(QStringLiteral("提示"));
    alert->setText(QStringLiteral("提示"));
    alert->setInformativeText(message);
    alert->setIcon(QMessageBox::Warning);
    QPushButton *done = alert->addButton(doneText, QMessageBox::AcceptRole);
    alert->setDefaultButton(done);
    alert->setEscapeButton(done);
    return alert;
}

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

void AlertManager::beginSheet(QMessageBox *alert, Handler handler)
{
    alert->setProperty(kSheetProperty, true);
    QWidget *window = currentWindow();
    if (window) {
        alert->setParent(window, alert->windowFlags());
        alert->setWindowModality(Qt::WindowModal);
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
    alert->show();
}
