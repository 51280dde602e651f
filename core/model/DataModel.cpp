#include "core/model/DataModel.h"

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/LoginAccount.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"

const Model &DataModel::model()
{
    // The order fixes each entity's index (see the entity() functions).
    static const Model model = [] {
        Model m;
        m.addEntity(Classify::description());
        m.addEntity(NoteDetail::description());
        m.addEntity(DateRemind::description());
        m.addEntity(NoteLog::description());
        m.addEntity(NoteComplete::description());
        m.addEntity(UserInfo::description());
        m.addEntity(UserSet::description());
        m.addEntity(LoginAccount::description());
        m.addEntity(WiFiRemind::description());
        m.addEntity(UISkin::description());
        return m;
    }();
    return model;
}
