#pragma once
// The scatter plot's centring mode as the settings store keeps it. The centring commands store
// it; the plot takes it at start-up and the check marks of the frame and of the plot's context
// menu show it.

#include "displays/ScatterPlotModel.h"

// The stored mode; CentreOnNextSample when none is stored or the stored value names no mode.
ScatterPlotModel::CentreMode StoredScatterCentreMode();
void StoreScatterCentreMode(ScatterPlotModel::CentreMode mode);
