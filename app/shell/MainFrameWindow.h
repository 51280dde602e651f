#pragma once

#include <QWidget>

// The main window's frame as it stands until the note views arrive: a real,
// resizable window with the application's title and an empty content area.
class MainFrameWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainFrameWindow(QWidget *parent = nullptr);

    static QSize defaultSize() { return {960, 640}; }
};
