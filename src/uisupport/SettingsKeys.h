#pragma once
// The sections and keys of the settings store, by name, so that each is spelled once.

#include <QString>

namespace SettingsKey {

inline const QString kSettingsSection = QStringLiteral("Settings");
inline const QString kWorkspaceSection = QStringLiteral("Workspace");

// "Settings"
inline const QString kCommPort = QStringLiteral("Comm Port");
inline const QString kBaud = QStringLiteral("Baud");
inline const QString kDopThreshold = QStringLiteral("DOP Threshold");
inline const QString kUserLatitude = QStringLiteral("User Latitude");
inline const QString kUserLongitude = QStringLiteral("User Longitude");
inline const QString kUserAltitude = QStringLiteral("User Altitude");
inline const QString kScatterPlotMode = QStringLiteral("Scatter Plot Mode");
// 1 (the default): a lost port is opened again by itself when it comes back.
inline const QString kReconnectAutomatically = QStringLiteral("Reconnect Automatically");

// "Workspace"
inline const QString kApplicationLook = QStringLiteral("ApplicationLook");
// The window's size, position and maximised state; the bars' visibility and places; the
// commands the operator chose for the tool bar (ids separated by commas).
inline const QString kWindowGeometry = QStringLiteral("WindowGeometry");
inline const QString kBarState = QStringLiteral("BarState");
inline const QString kToolBarCommands = QStringLiteral("ToolBarCommands");

} // namespace SettingsKey
