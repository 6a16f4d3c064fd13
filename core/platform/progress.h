#pragma once
// The seam of the modeless progress window shown during long operations.
// A caption names what is processed; the work advances it by steps and polls
// cancelled() between steps (in the GUI a left-button press cancels).

#include <string>
#include <string_view>
#include <vector>

namespace vox {

class Progress {
public:
    virtual ~Progress() = default;
    // Opens the window with its caption and the number of steps expected.
    virtual void begin(std::string_view caption, long long total_steps) = 0;
    virtual void step() = 0;
    virtual bool cancelled() = 0;
    virtual void end() = 0;
};

// Opens a progress window for the lifetime of the object.
class ProgressScope {
public:
    ProgressScope(Progress& p, std::string_view caption, long long total) : p_(p) { p_.begin(caption, total); }
    ~ProgressScope() { p_.end(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    // Advances one step; true when the person asked to cancel.
    bool step_and_check() {
        p_.step();
        return p_.cancelled();
    }

private:
    Progress& p_;
};

// Shows nothing and never cancels.
class NullProgress : public Progress {
public:
    void begin(std::string_view, long long) override {}
    void step() override {}
    bool cancelled() override { return false; }
    void end() override {}
};

// Records captions and steps; reports a cancel once `cancel_at_step` steps
// have been taken (never when it is negative).
class ScriptedProgress : public Progress {
public:
    explicit ScriptedProgress(long long cancel_at = -1) : cancel_at_step(cancel_at) {}
    void begin(std::string_view caption, long long total) override {
        captions.emplace_back(caption);
        last_total = total;
        ++opened;
    }
    void step() override { ++steps; }
    bool cancelled() override { return cancel_at_step >= 0 && steps >= cancel_at_step; }
    void end() override { ++closed; }

    long long cancel_at_step;
    long long steps = 0;
    long long last_total = 0;
    int opened = 0;
    int closed = 0;
    std::vector<std::string> captions;
};

}  // namespace vox
