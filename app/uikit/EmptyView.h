#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;

// The placeholder over an empty list. The owning list keeps it in a QPointer:
// it makes one when it has none, attaches it to its list view, and after
// hide() the placeholder is gone.
class EmptyView : public QWidget
{
    Q_OBJECT
public:
    // The default picture's size.
    static constexpr QSize DefaultImageSize{96, 80};

    // A new placeholder with its default picture and text.
    static EmptyView *showEmptyView();

    QString text;
    QImage image;

    // Covers `listView` (pinned to its edges) without showing anything yet.
    void attachTo(QWidget *listView);
    // Puts `image` and `text` (those that are set) into the view and shows it.
    void show();
    // Removes the placeholder from its view and deletes it.
    void hide();

    QLabel *imageView() const { return m_imageView; }
    QLabel *textLabel() const { return m_textLabel; }

private:
    EmptyView();

    QLabel *m_imageView;
    QLabel *m_textLabel;
};
