#pragma once
// A UserPrompts that records everything shown and answers from queues; used
// by the tests and by the command-line front end (whose answers come from its
// options). An unanswered question is answered with the fallback (Cancel or
// "no choice") so that nothing ever blocks.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/user_prompts.h"

namespace vox {

class ScriptedPrompts : public UserPrompts {
public:
    // Everything the core showed, in order.
    struct Event {
        enum Kind { Message, Beep, YesNo, YesNoCancel, SelectChannel, GenericFile, SaveFile, OpenFile, OpenFailure, SaveFailure } kind;
        std::string text;  // message / question text, dialog title or path
    };

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

    // Answer queues; each question takes the front element.
    std::deque<Answer> answers;
    std::deque<std::optional<int>> channel_choices;
    std::deque<std::optional<GenericFileAnswers>> generic_answers;
    std::deque<std::optional<std::string>> file_choices;

    // What was shown.
    std::vector<Event> events;
    std::vector<std::string> messages() const;  // texts of Message events only
    int count(Event::Kind kind) const;
    // The requests the file choosers and dialogs were given.
    std::vector<FileDialogRequest> file_requests;
    std::vector<std::pair<int, int>> channel_requests;  // (count, preselected)
    std::vector<GenericFileAnswers> generic_presets;
    // When set, messages are echoed to stderr as they are shown (the CLI).
    bool echo_to_stderr = false;
};

}  // namespace vox
