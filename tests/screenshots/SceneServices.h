#pragma once

#include "app/services/Services.h"

class AppEvents;
class Store;

// The program's graph for a scene, on `store`, with the test fakes; it lives
// as long as the renderer (a scene's widgets keep what they were built with).
// `events`: the scene's own (so that its views hear only themselves).
const Services &sceneServices(Store &store, AppEvents *events = nullptr);

// A store with no rows at all (the defaults of an empty settings row).
Store &emptySceneStore();
