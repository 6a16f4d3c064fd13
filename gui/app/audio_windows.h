#pragma once
// The main frame's audio windows: the floating Record & Play options window
// (made with the frame) and the one scope window, with the commands that
// show them. The main frame asks it about the commands it handles.

#include <QObject>
#include <QPointer>
#include <string>

#include "core/app/command_table.h"

class QAction;
class QMenu;

namespace vox {

class CFrameRecordPlay;
class CMainFrame;
class CScopeChildFrame;

class CAudioWindows : public QObject {
    Q_OBJECT
public:
    // options_menu: where the scope command goes (after Record/Play).
    CAudioWindows(CMainFrame& frame, QMenu* options_menu);
    ~CAudioWindows() override;

    // "Record/Play" of the Options menu: the Record & Play window on top.
    const CommandTable& commands() const { return commands_; }

    CFrameRecordPlay* record_play() const;
    CScopeChildFrame* scope() const;
    QAction* scope_action() const { return scope_action_; }
    QAction* record_option_action() const { return record_option_action_; }
    QAction* calibration_action() const { return calibration_action_; }
    // The sound card's sample rate alone; the options window shows the choice.
    void open_record_option();
    // The calibration values of the active document's channels.
    void open_calibration();
    // Opens the scope window; null after "Error in creating the scope view.".
    CScopeChildFrame* open_scope();

    // The --usb=... value of the command line, handed over at start-up: the
    // scope's transport. Without one, VOXTREL_USB when the scope opens, else
    // libusb.
    void set_usb_option(std::string value) { usb_option_ = std::move(value); }

private:
    // The chosen recording rate (Hz) into the configuration file.
    void store_rate(int rate);

    CMainFrame& frame_;
    QPointer<CFrameRecordPlay> record_play_;
    QPointer<CScopeChildFrame> scope_;
    QAction* scope_action_ = nullptr;
    QAction* record_option_action_ = nullptr;
    QAction* calibration_action_ = nullptr;
    CommandTable commands_;
    std::string usb_option_;
};

}  // namespace vox
