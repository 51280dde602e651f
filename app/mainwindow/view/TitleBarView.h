#pragma once

#include <QWidget>

class AvatarLoader;
class QPushButton;
class TipButton;
class TitleBarPresenter;

// The strip across the top of the main window: avatar and nickname on the
// skin's bar colour, and the records, search and sync buttons.
class TitleBarView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int BarHeight = 50;

    explicit TitleBarView(TitleBarPresenter *presenter, QWidget *parent = nullptr);

    QPushButton *headButton() const { return m_head; }
    QPushButton *nameButton() const { return m_name; }
    TipButton *recordsButton() const { return m_records; }
    TipButton *searchButton() const { return m_search; }
    TipButton *syncButton() const { return m_sync; }
    // The address of the picture the avatar shows ("" the placeholder).
    QString avatarShown() const { return m_avatarShown; }

signals:
    void recordsClicked();
    void searchClicked();
    void syncClicked();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void render();

    TitleBarPresenter *m_presenter;
    QPushButton *m_head;
    QPushButton *m_name;
    TipButton *m_records;
    TipButton *m_search;
    TipButton *m_sync;
    AvatarLoader *m_avatarLoader;
    QString m_avatarShown;
};
