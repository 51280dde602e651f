#pragma once

int probeOther();
