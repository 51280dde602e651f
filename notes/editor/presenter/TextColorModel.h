#pragma once

#include <QList>
#include <QString>

// One text colour a note can be shown in: its name for the menu and its hex
// colour text ("#rrggbb"), as stored in the note's fontColor.
class TextColorModel
{
public:
    QString title;
    QString color;

    bool operator==(const TextColorModel &) const = default;

    // The colours offered in the editor, read once from the program's resource;
    // the first is the default colour.
    static const QList<TextColorModel> &all();
    // Reads a list from JSON text: an array of {"title", "color"} objects. Entries
    // without a title or with a colour that is not a colour are left out.
    static QList<TextColorModel> fromJson(const QByteArray &json);
    // Index of the first entry whose colour is `color` (letter case and a missing
    // "#" aside), or 0 (the default) when none is; -1 for an empty list.
    static int indexOf(const QList<TextColorModel> &list, const QString &color);
};
