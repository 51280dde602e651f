#pragma once

#include <QStringList>

class QWidget;

// Finds visible labels and buttons under a widget whose text does not fit
// in them (cut on the right or at the bottom), as "objectName or class:
// text (needs WxH, has WxH)". A widget whose property "screenshotMayClip" is
// true (an eliding label, say) is skipped.
class ClippedTextFinder
{
public:
    static QStringList find(QWidget *root);
};
