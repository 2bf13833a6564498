#pragma once
// Command ids of the menus, the tool bar and the pages' context menus. Every QAction of the
// frame carries its id as data, and CommandEvent(id) reaches the same handler.

namespace Cmd {
constexpr int Connect = 32788;
constexpr int Disconnect = 32836;
constexpr int RecordData = 32791;
constexpr int PlayBackData = 32793;
constexpr int StopRecordPlay = 32794;
constexpr int SetDopThreshold = 32824;
constexpr int SetUserPosition = 32826;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int ViewStatusBar = 59393;
constexpr int ViewToolbars = 59392;
constexpr int ViewCustomize = 32773;
constexpr int LookFirst = 32775;
constexpr int LookXp = 32776;
constexpr int LookBlack = 32782;
constexpr int LookLast = 32785;
constexpr int ClearReceiveScreen = 32798;
constexpr int CopyReceiveScreen = 32840;
constexpr int ClearTransmitScreen = 32797;
constexpr int CopyTransmitScreen = 32842;
constexpr int ClearSatelliteTrails = 32809;
constexpr int ClearSatelliteMask = 32811;
constexpr int ClearPositionPlots = 32813;
constexpr int ClearScatterPlot = 32796;
constexpr int CenterOnAverage = 32818;
constexpr int CenterNextSample = 32820;
constexpr int CenterUserPosition = 32821;
constexpr int TestRecordsSettings = 32844;
constexpr int ViewTestRecords = 32846;
constexpr int ReconnectAutomatically = 32850;
constexpr int ViewPositionPlot = 32870;
constexpr int ViewScatterPlot = 32872;
constexpr int EditUndo = 57643;
constexpr int EditCut = 57635;
constexpr int EditCopy = 57634;
constexpr int EditPaste = 57637;
} // namespace Cmd

// Status bar indicator ids, in pane order after the message pane.
namespace Indicator {
constexpr int GpsQuality = 1;
constexpr int RecordState = 32786;
constexpr int Receive = 32790;
constexpr int Transmit = 32828;
} // namespace Indicator
