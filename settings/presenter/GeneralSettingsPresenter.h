#pragma once

#include "app/services/Services.h"
#include "settings/presenter/SettingsSaver.h"

#include <QObject>
#include <QStringList>

// The general tab: where new notes go and what a completed note does (two
// pairs refused), the link flag, the lock box and password, and the note
// font size kept in the user defaults.
class GeneralSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    static QStringList addPositionTitles() { return {QStringLiteral("底部"), QStringLiteral("顶部")}; }
    static QStringList completePositionTitles()
    {
        return {QStringLiteral("保持不变"), QStringLiteral("顶部"), QStringLiteral("底部"),
                QStringLiteral("删除")};
    }
    static QStringList fontSizeTitles()
    {
        return {QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18")};
    }
    static inline const QString BothBottomText = QStringLiteral("新增和完成不能同时在底部");
    static inline const QString BothTopText = QStringLiteral("新增和完成不能同时在顶部");
    static inline const QString NoLockPasswordText = QStringLiteral("请先设置锁屏密码");
    static inline const QString EmptyPasswordText = QStringLiteral("密码不能为空");
    static inline const QString DigitsOnlyText = QStringLiteral("密码只支持数字");

    GeneralSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent = nullptr);

    // What the controls show (the value out, else the stored one); a stored
    // position outside its list is -1: the pop-up's selection is left alone.
    int addPosition() const;
    int completePosition() const;
    bool linkMarked() const;
    bool lockOn() const;
    QString lockPassword() const;
    // The font size pop-up's index (of the defaults' "fontSize"; "14" when none).
    int fontSizeIndex() const;

    // A change of the positions is out: both pop-ups wait for it.
    bool positionsBusy() const;
    bool linkBusy() const;
    bool lockBusy() const;
    bool passwordBusy() const;

    // The refusal text of a pair of positions, or empty when it may be stored.
    static QString refusalOf(int addPosition, int completePosition);
    // The refusal text of a lock password, or empty.
    static QString passwordRefusal(const QString &text);

    void chooseAddPosition(int index);
    void chooseCompletePosition(int index);
    void setLinkMarked(bool on);
    void setLockOn(bool on);
    void savePassword(const QString &text);
    void chooseFontSize(int index);

signals:
    void changed();
    // The password change was answered: the field shows the stored password.
    void passwordAnswered();

private:
    void choosePosition(const QString &attribute, int index);
    // Tells the user and shows the stored values again (sets the control back).
    void refuse(const QString &text);

    Services m_services;
    SettingsSaver *m_saver;
};
