#include "core/platform/scripted_prompts.h"

#include <cstdio>

namespace vox {

namespace {
template <class T, class F>
T take(std::deque<T>& queue, F fallback) {
    if (queue.empty()) return fallback();
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}
}  // namespace

void ScriptedPrompts::message(std::string_view text, MessageIcon) {
    events.push_back({Event::Message, std::string(text)});
    if (echo_to_stderr) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void ScriptedPrompts::beep() { events.push_back({Event::Beep, {}}); }

Answer ScriptedPrompts::ask_yes_no(std::string_view text) {
    events.push_back({Event::YesNo, std::string(text)});
    return take(answers, [] { return Answer::No; });
}

Answer ScriptedPrompts::ask_yes_no_cancel(std::string_view text) {
    events.push_back({Event::YesNoCancel, std::string(text)});
    return take(answers, [] { return Answer::Cancel; });
}

std::optional<int> ScriptedPrompts::select_channel(int channel_count, int preselected) {
    events.push_back({Event::SelectChannel, {}});
    channel_requests.emplace_back(channel_count, preselected);
    return take(channel_choices, [] { return std::optional<int>{}; });
}

std::optional<GenericFileAnswers> ScriptedPrompts::generic_file_selection(const GenericFileAnswers& preset) {
    events.push_back({Event::GenericFile, {}});
    generic_presets.push_back(preset);
    return take(generic_answers, [] { return std::optional<GenericFileAnswers>{}; });
}

std::optional<FileChoice> ScriptedPrompts::choose_save_file(const FileDialogRequest& request) {
    events.push_back({Event::SaveFile, request.title});
    file_requests.push_back(request);
    auto path = take(file_choices, [] { return std::optional<std::string>{}; });
    if (!path) return std::nullopt;
    return FileChoice{*path, request.filter_index};
}

std::optional<FileChoice> ScriptedPrompts::choose_open_file(const FileDialogRequest& request) {
    events.push_back({Event::OpenFile, request.title});
    file_requests.push_back(request);
    auto path = take(file_choices, [] { return std::optional<std::string>{}; });
    if (!path) return std::nullopt;
    return FileChoice{*path, request.filter_index};
}

void ScriptedPrompts::open_failure_report(std::string_view path) {
    events.push_back({Event::OpenFailure, std::string(path)});
    if (echo_to_stderr) std::fprintf(stderr, "Cannot open %.*s.\n", static_cast<int>(path.size()), path.data());
}

void ScriptedPrompts::save_failure_report(std::string_view path) {
    events.push_back({Event::SaveFailure, std::string(path)});
    if (echo_to_stderr) std::fprintf(stderr, "Cannot save %.*s.\n", static_cast<int>(path.size()), path.data());
}

std::vector<std::string> ScriptedPrompts::messages() const {
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.kind == Event::Message) out.push_back(e.text);
    return out;
}

int ScriptedPrompts::count(Event::Kind kind) const {
    int n = 0;
    for (const auto& e : events) n += e.kind == kind;
    return n;
}

}  // namespace vox
