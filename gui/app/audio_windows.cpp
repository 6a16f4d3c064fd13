#include "gui/app/audio_windows.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <algorithm>
#include <filesystem>

#include "core/audio/record_options.h"
#include "core/document/marbeck_doc.h"
#include "gui/app/main_frame.h"
#include "gui/app/voxtrel_app.h"
#include "gui/audio/audio_texts.h"
#include "gui/audio/form_record_play.h"
#include "gui/audio/frame_record_play.h"
#include "gui/audio/option_calibration.h"
#include "gui/audio/option_record.h"
#include "gui/audio/scope_child_frame.h"
#include "gui/audio/scope_view.h"
#include "platform/usb_backend.h"

namespace vox {

CAudioWindows::CAudioWindows(CMainFrame& frame, QMenu* options_menu) : QObject(&frame), frame_(frame) {
    CVoxtrelApp& app = frame.app();
    RecordSettings& settings = app.record_settings();
    // The stored first cell of the parameter grid, when it is a rate the
    // current source offers.
    const auto rates = record_rate_choices(settings.source);
    const int stored = app.app_values().record_play_cell;
    if (std::find(rates.begin(), rates.end(), stored) != rates.end()) settings.sample_rate_hz = stored;
    try {
        record_play_ = new CFrameRecordPlay(settings, app.prompts(), &frame);
        record_play_->form()->on_rate_stored = [this](int rate) { store_rate(rate); };
        record_play_->form()->on_settings_changed = [this] {
            if (scope_) scope_->view()->resume();
        };
        record_play_->show();
    } catch (const std::exception&) {
        app.prompts().message(audio_text::kCreateOptionsFailed, MessageIcon::Error);
    }

    scope_action_ = new QAction(audio_text::kScopeCommand, this);
    scope_action_->setObjectName("scopeWindowAction");
    connect(scope_action_, &QAction::triggered, this, [this] { open_scope(); });
    record_option_action_ = new QAction(audio_text::kRecordOptionCommand, this);
    record_option_action_->setObjectName("recordOptionAction");
    connect(record_option_action_, &QAction::triggered, this, [this] { open_record_option(); });
    calibration_action_ = new QAction(audio_text::kCalibrationCommand, this);
    calibration_action_->setObjectName("calibrationOptionAction");
    connect(calibration_action_, &QAction::triggered, this, [this] { open_calibration(); });
    commands_ = {{CommandId::OptionsRecordPlay, [this] { return !record_play_.isNull(); },
                  [this] { record_play_->show_on_top(); }}};
    if (options_menu) {
        options_menu->addAction(scope_action_);
        options_menu->addAction(record_option_action_);
        options_menu->addAction(calibration_action_);
        connect(options_menu, &QMenu::aboutToShow, this, [this] {
            scope_action_->setEnabled(!scope_);
            const CMarbeckDoc* doc = frame_.active_document();
            calibration_action_->setEnabled(doc && doc->channel_count > 0);
        });
    }
}

CAudioWindows::~CAudioWindows() = default;

CFrameRecordPlay* CAudioWindows::record_play() const { return record_play_; }
CScopeChildFrame* CAudioWindows::scope() const { return scope_; }

void CAudioWindows::open_record_option() {
    RecordSettings& settings = frame_.app().record_settings();
    COptionRecord dialog(settings.sample_rate_hz, &frame_);
    if (dialog.exec() != QDialog::Accepted) return;
    settings.sample_rate_hz = dialog.rate();
    store_rate(settings.sample_rate_hz);
    if (record_play_) record_play_->form()->refresh();
    if (scope_) scope_->view()->resume();
}

void CAudioWindows::store_rate(int rate) {
    // The whole rate is kept (44100 Hz does not fit in 16 bits), so that the
    // next start records at it again.
    CVoxtrelApp& app = frame_.app();
    app.app_values().record_play_cell = rate;
    if (app.config().patch(ConfigGroup::RecordPlay, OptionBlock{}, app.app_values())) return;
    // Before any document made the file: a new one from the defaults, as
    // the first document would write it. A file of another kind stays.
    std::error_code ec;
    if (!std::filesystem::exists(app.config().path(), ec))
        app.config().new_document_options(app.app_values());
}

void CAudioWindows::open_calibration() {
    CMarbeckDoc* doc = frame_.active_document();
    if (!doc || doc->channel_count <= 0) return;
    COptionCalibration dialog(*doc, frame_.app().prompts(), &frame_);
    if (dialog.exec() == QDialog::Accepted) doc->set_modified(true);  // the values are saved with the file
}

CScopeChildFrame* CAudioWindows::open_scope() {
    if (scope_) return nullptr;  // one scope at a time
    CVoxtrelApp& app = frame_.app();
    auto transport = make_usb_transport(usb_backend_choice(usb_option_));
    if (!transport) {
        app.prompts().message(audio_text::kCreateScopeFailed, MessageIcon::Error);
        return nullptr;
    }
    auto* child = new CScopeChildFrame(app.record_settings(), std::move(transport), app.prompts());
    child->view()->on_record_play = [this] {
        if (record_play_) record_play_->toggle();
    };
    frame_.mdi_area()->addSubWindow(child);
    scope_ = child;
    scope_action_->setEnabled(false);
    connect(child, &QObject::destroyed, this, [this] {
        if (scope_action_) scope_action_->setEnabled(true);
    });
    child->show();
    return child;
}

}  // namespace vox
