#pragma once
// Temporary file names: the application's temporary folder, the path
// separator, "$$TempFile" and a process-wide counter that is incremented
// before each use (the first name ends in 1).

#include <atomic>
#include <string>

namespace vox {

class TempNames {
public:
    explicit TempNames(std::string folder) : folder_(std::move(folder)) {}
    virtual ~TempNames() = default;

    const std::string& folder() const { return folder_; }
    void set_folder(std::string folder) { folder_ = std::move(folder); }

    // A fresh name; never the same twice in one process.
    virtual std::string next();

    // The process-wide counter's last value (0 before the first name).
    static int last_counter() { return counter_.load(); }

private:
    std::string folder_;
    static std::atomic<int> counter_;
};

// The system's temporary directory (TMPDIR or /tmp), used where the
// application has not chosen a folder of its own.
std::string system_temp_folder();

}  // namespace vox
