#pragma once
// A folder of this process's own inside the temporary folder, for its
// recordings, raw sample files, working WAV files and undo files. Temporary
// names count from 1 in every process, so two processes side by side must
// never share a folder. The folder is made with access for its owner only,
// under a fresh name that carries the process id, and removed with its
// contents when the object goes. A process that was killed leaves its folder
// behind; sweep_stale_private_folders removes those whose process is gone.

#include <optional>
#include <string>

namespace vox {

class PrivateTempFolder {
public:
    // Makes the folder inside `parent`; ok() tells whether that worked.
    explicit PrivateTempFolder(const std::string& parent);
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // Removes the folder and everything in it now (also done on destruction).
    void remove();

    // The name prefix of every private folder.
    static constexpr const char* kPrefix = "voxtrel-";
    // The process id a private folder's name carries; none when the name is
    // not one of ours.
    static std::optional<long> owner_of(const std::string& name);

private:
    std::string path_;
};

// Removes the private folders in `parent` whose process no longer runs, and
// nothing else; returns how many were removed.
int sweep_stale_private_folders(const std::string& parent);

}  // namespace vox
