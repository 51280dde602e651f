#pragma once

#include "platform/store/Model.h"

// The program's data model: every entity of the local store.
class DataModel
{
public:
    static const Model &model();
};
