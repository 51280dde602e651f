#include "platform/base/LoggingFeedback.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

void LoggingFeedback::showToast(const QString &text, const QObject *)
{
    qWarning().noquote() << text;
}

void LoggingFeedback::presentMessage(const QString &text, const QObject *, Handler handler)
{
    qWarning().noquote() << "提示:" << text;
    if (handler)
        QTimer::singleShot(0, QCoreApplication::instance(), [handler] { handler(true); });
}

void LoggingFeedback::presentConfirm(const QString &text, const QObject *, Handler handler)
{
    qWarning().noquote() << "提示 (确定/取消):" << text;
    if (handler)
        QTimer::singleShot(0, QCoreApplication::instance(), [handler] { handler(false); });
}

quint64 LoggingFeedback::beginBusy(const QObject *)
{
    return ++m_tokens;
}

void LoggingFeedback::endBusy(quint64) {}
