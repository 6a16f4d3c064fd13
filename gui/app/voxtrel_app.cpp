#include "gui/app/voxtrel_app.h"

#include <QPrinter>
#include <filesystem>

#include "core/io/binary_file.h"

namespace vox {

CVoxtrelApp::CVoxtrelApp(AppEnvironment env) : env_(std::move(env)), recent_(env_.settings, kCompany) {
    font_ = QFont("Arial");
    font_.setPixelSize(14);
    font_.setWeight(QFont::Normal);
    for (int i = 0; i < 256; ++i) pens_[static_cast<std::size_t>(i)] = QPen(QColor(i, i, i), 1);
}

CVoxtrelApp::~CVoxtrelApp() = default;

bool CVoxtrelApp::init_instance() {
    recent_.load();

    TempFolderServices services{env_.settings, env_.prompts, env_.chooser, env_.working_dir, env_.fallback_folder,
                                {}, {}};
    auto folder = select_temp_folder(services);
    if (!folder) return false;
    temp_folder_ = *folder;
    // Temporary names count from 1 in every process: two applications at
    // once each keep theirs in a folder of their own. Folders left by
    // processes that were killed go first.
    sweep_stale_private_folders(temp_folder_);
    private_temp_ = std::make_unique<PrivateTempFolder>(temp_folder_);
    if (!private_temp_->ok()) {
        env_.prompts.message(temp_text::kCreateError, MessageIcon::Error);
        private_temp_.reset();
        return false;
    }
    temp_names_.set_folder(private_temp_->path());

    config_ = std::make_unique<ConfigFile>(temp_folder_);
    // A save of the configuration killed half-way left a partial file.
    AtomicFileWriter::sweep_stale_parts(config_->path());
    config_loaded_ = config_->load_app_values(app_values_);
    return true;
}

QPrinter& CVoxtrelApp::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

std::string CVoxtrelApp::help_file() const {
    return (std::filesystem::path(env_.application_dir) / "Manual" / "HelpIndex.html").string();
}

}  // namespace vox
