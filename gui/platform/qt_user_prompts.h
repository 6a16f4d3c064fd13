#pragma once
// The user-prompts seam over Qt dialogs: message boxes captioned "Voxtrel",
// the beep, questions, the document's own dialogs and the file and folder
// choosers.

#include <QString>

#include "core/app/temp_folder.h"
#include "core/platform/user_prompts.h"

class QWidget;

namespace vox {

// "Desc (*.a)|*.a|Other (*.b; *.c)|*.b; *.c|" -> the Qt name filters, one per
// description, with the patterns in the parentheses space-separated.
QStringList qt_name_filters(const std::string& filter);

class QtUserPrompts : public UserPrompts, public FolderChooser {
public:
    explicit QtUserPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void message(std::string_view text, MessageIcon icon = MessageIcon::Warning) override;
    void beep() override;
    Answer ask_yes_no(std::string_view text) override;
    Answer ask_yes_no_cancel(std::string_view text) override;
    std::optional<int> select_channel(int channel_count, int preselected) override;
    std::optional<GenericFileAnswers> generic_file_selection(const GenericFileAnswers& preset) override;
    std::optional<FileChoice> choose_save_file(const FileDialogRequest& request) override;
    std::optional<FileChoice> choose_open_file(const FileDialogRequest& request) override;
    void open_failure_report(std::string_view path) override;
    void save_failure_report(std::string_view path) override;
    void wait_cursor(bool on) override;

    std::optional<std::string> choose_folder(std::string_view title, const std::string& initial) override;

private:
    std::optional<FileChoice> choose_file(const FileDialogRequest& request, bool saving);
    QWidget* parent_;
};

}  // namespace vox
