#pragma once
// The "Tracker Configuration" page: reads and writes the tracker's settings by command, with
// the working mode and its wake-up schedule, the alarm switches, a clock and the command-file
// sender. Built from dialog template 192; replies reach it through the frame's receive tick.

#include <QDateTimeEdit>
#include <QHash>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>
#include <string_view>

#include "device/IDeviceReplyConsumer.h"
#include "trackerconfig/ParseConfigFile.h"
#include "uisupport/ProportionalChildLayout.h"

class ILineSender;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTimer;

class CGps_Control : public QWidget, public IDeviceReplyConsumer {
    Q_OBJECT
public:
    // Command id of the configuration file import (the page's context menu, "Import Setting...").
    static constexpr int kImportCommandId = 1311;
    static constexpr int kClockTimerMs = 1000; // timer 0
    static constexpr int kImportTimerMs = 500; // timer 20
    // Template 192, in dialog units.
    static constexpr int kTemplateWidth = 708;
    static constexpr int kTemplateHeight = 387;
    // The page area of the program's first window (1100 x 760 with its bars and tabs).
    static constexpr QSize kRoomOfFirstWindow{1080, 600};

    explicit CGps_Control(ILineSender* sender, QWidget* parent = nullptr);
    ~CGps_Control() override;

    // IDeviceReplyConsumer: one reply field (types 1 … 11) into its edit or alarm radios.
    void ApplyDeviceReply(ReplyType type, std::u16string_view text) override;

    // The page's message table: button ids of template 192 and the import command 1311.
    // Returns false for an id the page does not handle.
    bool OnCommand(int id);
    // Combo box 1089: the operator picked another entry.
    void OnModeSelectionChange();
    // Timer 0: the clock picker shows the computer's local time.
    void OnClockTick();
    // Timer 20: the next imported command, or the end of the list.
    void OnImportTick();
    // Steps 2 … 4 of the import once the file is chosen; false when it could not be read.
    bool ImportConfigFile(const QString& path);

    // A control of the template by its id (nullptr for an unknown id).
    QWidget* Control(int id) const { return m_controls.value(id, nullptr); }
    template <class T> T* ControlAs(int id) const { return qobject_cast<T*>(Control(id)); }

    const QString& DevicePassword() const { return devicePassword; }
    const ImportCommands& ImportedCommands() const { return importCommands; }
    bool ImportSenderRunning() const;
    bool ClockRunning() const;
    QMenu* ContextMenu() const { return m_contextMenu; }

    // Next slot of importCommands to send; one for the whole program.
    static int importIndex;

    // The template's size in the page's dialog units.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void NameControlsAndOrderTabs();
    QLineEdit* AddEdit(int id, int x, int y, int w, int h, int maxLength, bool digitsOnly);
    template <class T> T* Add(int id, T* control, int x, int y, int w, int h);
    QWidget* AddLabel(const QString& text, int x, int y, int w, int h);

    void Read(int id);
    void Write(int id);
    void WriteAlarm(int id);
    void ModeWriteClicked();
    void CalTime();
    void ImportFileCommand();
    void StartImportSender();
    void SetEnabled(std::initializer_list<int> ids, bool enabled);
    QLineEdit* Edit(int id) const;

    // Sends one command; says so when the device could not take it (too long for its line).
    void Send(std::u16string_view command);
    void Refuse(const QString& message);

    ILineSender* m_pSender;
    QHash<int, QWidget*> m_controls;
    QList<QWidget*> m_labels; // the fixed labels without ids
    QSize m_templateSize;
    QButtonGroup* m_alarmRows[4] = {};
    QTimer* m_timerClock = nullptr;
    QTimer* m_timerImport = nullptr;
    QMenu* m_contextMenu = nullptr;
    // Sizes above 800 x 600 count as 800 x 600: the controls never grow past that.
    ProportionalChildLayout m_layout{QSize(800, 600)};

    QString devicePassword;
    ImportCommands importCommands;
};
