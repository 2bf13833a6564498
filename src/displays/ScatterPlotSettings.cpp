#include "displays/ScatterPlotSettings.h"

#include "uisupport/Profile.h"
#include "uisupport/SettingsKeys.h"

namespace {

constexpr ScatterPlotModel::CentreMode kDefaultMode = ScatterPlotModel::CentreOnNextSample;

} // namespace

ScatterPlotModel::CentreMode StoredScatterCentreMode() {
    const int stored =
        GetProfileInt(SettingsKey::kSettingsSection, SettingsKey::kScatterPlotMode, kDefaultMode);
    switch (stored) {
    case ScatterPlotModel::CentreOnUser:
    case ScatterPlotModel::CentreOnAverage:
    case ScatterPlotModel::CentreOnNextSample:
        return static_cast<ScatterPlotModel::CentreMode>(stored);
    default:
        // A hand-edited value would leave the plot never centring and no mark checked.
        return kDefaultMode;
    }
}

void StoreScatterCentreMode(ScatterPlotModel::CentreMode mode) {
    WriteProfileInt(SettingsKey::kSettingsSection, SettingsKey::kScatterPlotMode, mode);
}
