#pragma once

#include "notes/list/presenter/RowMenuModel.h"

// The due-date list's row menu as it opens on one row: "完成", "删除", a
// separator, "复制", "详情". An armed Wi-Fi reminder reads "已完成" and cannot be
// chosen (it is completed when it fires); a header or placeholder row, and a
// click below the rows, open no menu.
class NoteDateMenu : public RowMenuModel
{
public:
    enum Tag
    {
        Complete = 1001,
        Delete = 1004,
        Copy = 1005,
        Detail = 1006,
    };

    NoteDateMenu() = default; // nothing to show
    // The menu on a note row; `wifi`/`fired` tell its reminder's kind and state.
    static NoteDateMenu forNote(bool wifi, bool fired);
};
