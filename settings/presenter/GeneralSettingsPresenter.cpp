#include "settings/presenter/GeneralSettingsPresenter.h"

#include "platform/base/AppEvents.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "service/account/SignInKeys.h"

#include <QRegularExpression>

namespace {

using Row = SettingsSaver::Row;
const QString kAdd = QStringLiteral("noteAddPositionType");
const QString kComplete = QStringLiteral("noteCompleteActionType");
const QString kLink = QStringLiteral("hyperlinkDistinguish");
const QString kLock = QStringLiteral("isDefaultLockScreen");
const QString kPassword = QStringLiteral("lockScreenPassword");

int indexIn(const QVariant &value, int count)
{
    bool ok = false;
    const int i = value.toInt(&ok);
    return ok && i >= 0 && i < count ? i : -1;
}

} // namespace

GeneralSettingsPresenter::GeneralSettingsPresenter(const Services &services, SettingsSaver *saver,
                                                   QObject *parent)
    : QObject(parent), m_services(services), m_saver(saver)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &GeneralSettingsPresenter::changed);
    connect(m_saver, &SettingsSaver::answered, this,
            [this](SettingsSaver::Row row, const QStringList &attributes) {
                if (row == Row::UserInfo && attributes.contains(kPassword))
                    emit passwordAnswered();
            });
}

int GeneralSettingsPresenter::addPosition() const
{
    return indexIn(m_saver->shown(Row::UserSet, kAdd), int(addPositionTitles().size()));
}

int GeneralSettingsPresenter::completePosition() const
{
    return indexIn(m_saver->shown(Row::UserSet, kComplete), int(completePositionTitles().size()));
}

bool GeneralSettingsPresenter::linkMarked() const
{
    return m_saver->shown(Row::UserSet, kLink).toBool();
}

bool GeneralSettingsPresenter::lockOn() const
{
    return m_saver->shown(Row::UserInfo, kLock).toBool();
}

QString GeneralSettingsPresenter::lockPassword() const
{
    return m_saver->shown(Row::UserInfo, kPassword).toString();
}

int GeneralSettingsPresenter::fontSizeIndex() const
{
    const QString stored = UserDefaults::string(SignInKeys::FontSize);
    const int i = int(fontSizeTitles().indexOf(stored));
    return i >= 0 ? i : int(fontSizeTitles().indexOf(QStringLiteral("14")));
}

bool GeneralSettingsPresenter::positionsBusy() const
{
    return m_saver->isPending(Row::UserSet, kAdd) || m_saver->isPending(Row::UserSet, kComplete);
}

bool GeneralSettingsPresenter::linkBusy() const
{
    return m_saver->isPending(Row::UserSet, kLink);
}

bool GeneralSettingsPresenter::lockBusy() const
{
    return m_saver->isPending(Row::UserInfo, kLock);
}

bool GeneralSettingsPresenter::passwordBusy() const
{
    return m_saver->isPending(Row::UserInfo, kPassword);
}

QString GeneralSettingsPresenter::refusalOf(int addPosition, int completePosition)
{
    if (addPosition == 0 && completePosition == 2)
        return BothBottomText;
    if (addPosition == 1 && completePosition == 1)
        return BothTopText;
    return {};
}

QString GeneralSettingsPresenter::passwordRefusal(const QString &text)
{
    if (text.isEmpty())
        return EmptyPasswordText;
    // ASCII digits only: other scripts' digits are not what the lock compares.
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]*\\z"));
    if (!digits.match(text).hasMatch())
        return DigitsOnlyText;
    return {};
}

void GeneralSettingsPresenter::refuse(const QString &text)
{
    m_services.feedback->showMessage(text, UserFeedback::by(this));
    emit changed();
}

void GeneralSettingsPresenter::choosePosition(const QString &attribute, int index)
{
    if (positionsBusy())
        return;
    // The other setting as it is stored: a value the service never took
    // must not let a forbidden pair through.
    const bool isAdd = attribute == kAdd;
    const int other = indexIn(m_saver->stored(Row::UserSet, isAdd ? kComplete : kAdd),
                              int((isAdd ? completePositionTitles() : addPositionTitles()).size()));
    const QString refusal = isAdd ? refusalOf(index, other) : refusalOf(other, index);
    if (!refusal.isEmpty()) {
        refuse(refusal);
        return;
    }
    m_saver->send({Row::UserSet, QJsonObject{{attribute, QString::number(qint64(index))}},
                   SettingsSaver::Overlay::Busy, this});
}

void GeneralSettingsPresenter::chooseAddPosition(int index)
{
    if (index < 0 || index >= addPositionTitles().size())
        return;
    choosePosition(kAdd, index);
}

void GeneralSettingsPresenter::chooseCompletePosition(int index)
{
    if (index < 0 || index >= completePositionTitles().size())
        return;
    choosePosition(kComplete, index);
}

void GeneralSettingsPresenter::setLinkMarked(bool on)
{
    m_saver->send({Row::UserSet, QJsonObject{{kLink, on ? 1 : 0}}, SettingsSaver::Overlay::Busy, this});
}

void GeneralSettingsPresenter::setLockOn(bool on)
{
    if (lockBusy())
        return;
    // The stored password, not the field: a password must have been saved.
    if (m_saver->stored(Row::UserInfo, kPassword).toString().isEmpty()) {
        refuse(NoLockPasswordText);
        return;
    }
    m_saver->send({Row::UserInfo, QJsonObject{{kLock, on ? 1 : 0}}, SettingsSaver::Overlay::Busy, this});
}

void GeneralSettingsPresenter::savePassword(const QString &text)
{
    if (passwordBusy())
        return;
    const QString refusal = passwordRefusal(text);
    if (!refusal.isEmpty()) {
        m_services.feedback->showMessage(refusal, UserFeedback::by(this));
        return;
    }
    m_saver->send({Row::UserInfo, QJsonObject{{kPassword, text}}, SettingsSaver::Overlay::Busy, this});
}

void GeneralSettingsPresenter::chooseFontSize(int index)
{
    const QStringList titles = fontSizeTitles();
    if (index < 0 || index >= titles.size())
        return;
    UserDefaults::setValue(SignInKeys::FontSize, titles.at(index));
    UserDefaults::sync();
    emit m_services.events->notesListReloadDatas(NotesListReload::all());
}
