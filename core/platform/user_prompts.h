#pragma once
// The seam through which the core talks to the person at the desk: message
// boxes with fixed texts, the short beep, questions, the document's own
// dialogs and the file choosers. The GUI implements it with Qt dialogs; tests
// and the CLI use ScriptedPrompts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vox {

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class Answer { Yes, No, Cancel };

// The five answers of the "Generic File Selection" dialog. Defaults are the
// presets the open chain shows: header 0, 10000 Hz, integer binary, 16 bit,
// high byte first.
struct GenericFileAnswers {
    int header_bytes = 0;
    int sample_rate_hz = 10000;
    int integer_binary = 1;   // 1 integer binary, 0 ASCII
    int sixteen_bit = 1;      // 1 16-bit words, 0 8-bit bytes
    int high_byte_first = 1;  // 1 high byte first, 0 low byte first

    bool operator==(const GenericFileAnswers&) const = default;
};

// A file chooser request: title, default name and extension and the filter
// string in the "Description (*.x)|*.x|" form the application uses.
struct FileDialogRequest {
    std::string title;
    std::string default_name;
    std::string default_extension;
    std::string filter;
    bool confirm_overwrite = true;
    int filter_index = 0;  // zero-based; the chooser may update it
};

struct FileChoice {
    std::string path;
    int filter_index = 0;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    virtual void message(std::string_view text, MessageIcon icon = MessageIcon::Warning) = 0;
    virtual void beep() = 0;
    virtual Answer ask_yes_no(std::string_view text) = 0;
    virtual Answer ask_yes_no_cancel(std::string_view text) = 0;

    // "Select channels": returns the zero-based channel chosen among
    // channel_count, or nothing when the person cancelled.
    virtual std::optional<int> select_channel(int channel_count, int preselected) = 0;

    // "Generic File Selection": nothing when cancelled.
    virtual std::optional<GenericFileAnswers> generic_file_selection(const GenericFileAnswers& preset) = 0;

    virtual std::optional<FileChoice> choose_save_file(const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> choose_open_file(const FileDialogRequest& request) = 0;

    // The framework's standard reports for a file that cannot be opened for
    // reading, or created / written when saving.
    virtual void open_failure_report(std::string_view path) = 0;
    virtual void save_failure_report(std::string_view path) = 0;

    // Wait cursor around long synchronous work.
    virtual void wait_cursor(bool on) { (void)on; }
};

}  // namespace vox
