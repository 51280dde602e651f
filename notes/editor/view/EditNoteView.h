#pragma once

#include "notes/editor/presenter/NoteEditorPresenter.h"

#include <QMap>
#include <QWidget>

class MouseBoxView;
class MouseView;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TintButton;
class TipButton;
class TipImageView;

// The note editor of the detail pane: title, text, the reminder line with its
// marks, the text colour and category, and the action buttons. It only
// forwards what the user does to its presenter and shows the presenter's state.
class EditNoteView : public QWidget
{
    Q_OBJECT
public:
    // Takes the presenter over when it has no parent.
    explicit EditNoteView(NoteEditorPresenter *presenter, QWidget *parent = nullptr);
    ~EditNoteView() override;

    NoteEditorPresenter *presenter() const { return m_presenter; }

    QLabel *titleLabel() const { return m_titleLab; }
    QPlainTextEdit *textEdit() const { return m_noteTf; }
    QLabel *dateLabel() const { return m_dateLab; }
    MouseView *dateView() const { return m_dateView; }
    TipImageView *dateImageView() const { return m_dateImgView; }
    TipButton *starButton() const { return m_starImgBtn; }
    TipButton *delayButton() const { return m_delayImgBtn; }
    QPushButton *clearRemindButton() const { return m_clearRemindButton; }
    MouseBoxView *textColorBox() const { return m_textColorBox; }
    QLabel *textColorNameLabel() const { return m_textColorNameLab; }
    QMenu *colorMenu() const { return m_colorMenu; }
    QComboBox *classifyBox() const { return m_classifyBtn; }
    QPushButton *dismissButton() const;
    QPushButton *button(NoteEditorPresenter::Button which) const { return m_buttons.value(which); }

    // Pops the colour menu up over the colour box (edit state only).
    void showTextColorMenu();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render();
    void resetText(const QString &text);
    void fillColorMenu();
    void elideDateText();

    NoteEditorPresenter *m_presenter;
    QLabel *m_titleImgView;
    QLabel *m_titleLab;
    TintButton *m_dismissButton;
    QPlainTextEdit *m_noteTf;
    MouseView *m_dateView;
    TipImageView *m_dateImgView;
    QLabel *m_dateLab;
    TipButton *m_starImgBtn;
    TipButton *m_delayImgBtn;
    QPushButton *m_clearRemindButton;
    MouseView *m_setView;
    MouseBoxView *m_textColorBox;
    QLabel *m_textColorNameLab;
    QComboBox *m_classifyBtn;
    QMenu *m_colorMenu;
    QWidget *m_actionTypeView;
    QMap<NoteEditorPresenter::Button, QPushButton *> m_buttons;
    QString m_titleImage;
    QString m_dateText;
};
