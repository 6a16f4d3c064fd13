#include "gui/platform/qt_user_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "gui/dialogs/file_dialogs.h"

namespace vox {

namespace {
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QMessageBox::Icon qt_icon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None: return QMessageBox::NoIcon;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::Warning;
}
}  // namespace

QStringList qt_name_filters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i];
        if (desc.isEmpty()) continue;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns = patterns.simplified();
        // Qt takes the patterns from the last parenthesised group.
        const int open = desc.lastIndexOf('(');
        QString shown = open > 0 ? desc.left(open).trimmed() : desc;
        out << shown + " (" + patterns + ")";
    }
    return out;
}

void QtUserPrompts::message(std::string_view text, MessageIcon icon) {
    QMessageBox box(qt_icon(icon), "Voxtrel", qs(text), QMessageBox::Ok, parent_);
    box.exec();
}

void QtUserPrompts::beep() { QApplication::beep(); }

Answer QtUserPrompts::ask_yes_no(std::string_view text) {
    const auto r = QMessageBox::question(parent_, "Voxtrel", qs(text), QMessageBox::Yes | QMessageBox::No);
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

Answer QtUserPrompts::ask_yes_no_cancel(std::string_view text) {
    const auto r = QMessageBox::question(parent_, "Voxtrel", qs(text),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<int> QtUserPrompts::select_channel(int channel_count, int preselected) {
    CDialogFileChannelSelect dlg(channel_count, preselected, parent_);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.chosen();
}

std::optional<GenericFileAnswers> QtUserPrompts::generic_file_selection(const GenericFileAnswers& preset) {
    CDialogGenericFileSelection dlg(preset, parent_);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.answers();
}

std::optional<FileChoice> QtUserPrompts::choose_file(const FileDialogRequest& r, bool saving) {
    QFileDialog dlg(parent_, qs(r.title));
    dlg.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.default_extension.empty()) dlg.setDefaultSuffix(qs(r.default_extension));
    if (!r.confirm_overwrite) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = qt_name_filters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filter_index >= 0 && r.filter_index < filters.size()) dlg.selectNameFilter(filters[r.filter_index]);
    }
    if (!r.default_name.empty()) dlg.selectFile(qs(r.default_name));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    FileChoice c;
    c.path = dlg.selectedFiles().front().toStdString();
    c.filter_index = std::max<int>(0, static_cast<int>(filters.indexOf(dlg.selectedNameFilter())));
    return c;
}

std::optional<FileChoice> QtUserPrompts::choose_save_file(const FileDialogRequest& r) { return choose_file(r, true); }
std::optional<FileChoice> QtUserPrompts::choose_open_file(const FileDialogRequest& r) { return choose_file(r, false); }

void QtUserPrompts::open_failure_report(std::string_view path) {
    message("Unable to open the file " + std::string(path) + ".", MessageIcon::Warning);
}

void QtUserPrompts::save_failure_report(std::string_view path) {
    message("Unable to create or write the file " + std::string(path) + ".", MessageIcon::Warning);
}

void QtUserPrompts::wait_cursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::optional<std::string> QtUserPrompts::choose_folder(std::string_view title, const std::string& initial) {
    const QString dir = QFileDialog::getExistingDirectory(parent_, qs(title), QString::fromStdString(initial),
                                                          QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
}

}  // namespace vox
