#include "app/services/StoreSaver.h"

#include "app/services/Services.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"

#include <QDebug>

bool StoreSaver::save(const Services &services, const QObject *anchor, const char *what)
{
    const SaveResult saved = services.store->saveAndWait();
    if (saved)
        return true;
    qWarning().noquote() << what << "not saved:" << saved.error;
    services.feedback->showMessage(failedText(), UserFeedback::Asker{nullptr, anchor});
    return false;
}
