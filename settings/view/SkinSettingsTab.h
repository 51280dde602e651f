#pragma once

#include <QWidget>

class ClassifyColorGrid;
class QPushButton;
class QScrollArea;
class SkinSettingsPresenter;

// The skin tab: the skins as the category dialog's swatch grid (50-px
// swatches, 16 apart), the current one selected, and the confirm button.
class SkinSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit SkinSettingsTab(SkinSettingsPresenter *presenter, QWidget *parent = nullptr);

    SkinSettingsPresenter *presenter() const { return m_presenter; }
    ClassifyColorGrid *grid() const { return m_grid; }
    QPushButton *confirmButton() const { return m_confirm; }

    // The tab comes to the front: the current skin is selected and in view.
    void appear();

private:
    void render();

    SkinSettingsPresenter *m_presenter;
    QScrollArea *m_scroll;
    ClassifyColorGrid *m_grid;
    QPushButton *m_confirm;
};
