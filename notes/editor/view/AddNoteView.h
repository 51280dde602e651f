#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The detail pane's empty state: an add button and a line of text, either of
// which asks for a new note.
class AddNoteView : public QWidget
{
    Q_OBJECT
public:
    explicit AddNoteView(QWidget *parent = nullptr);

    QPushButton *addNoteButton() const { return m_addNoteButton; }
    QLabel *detailTextLabel() const { return m_detailTextLab; }

signals:
    void addNoteClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *m_addNoteButton;
    QLabel *m_detailTextLab;
};
