#pragma once
// The one-level undo copy of a document: before every destructive edit or
// label change the audio channel is written in the native recording form
// (512-byte identification block, 248-byte channel header, the tiers in use
// with their label records, the 16-bit samples) to a file of the temporary
// folder; Undo reads it back into channel 0.
//
// The identification block carries the document's channel count, so the
// copy of a multichannel document is refused on reading: only channel 0 is
// kept in the file, and restoring it alone would leave the other channels
// cut differently from the audio channel.

#include <cstdint>
#include <string>
#include <vector>

#include "core/document/marbeck_doc.h"

namespace vox {

namespace undo_text {
inline constexpr const char* kCreateError = "Error in saving the temp file";
inline constexpr const char* kWriteError = "Unable to save to a temp. file for Undo function.\nUndo is not available.";
inline constexpr const char* kOpenError = "Error in reading the temp file";
inline constexpr const char* kWrongType = "Wrong temp file type";
inline constexpr const char* kWrongChannels = "Wrong channel number.\nEither is zero or is more than 20.";
inline constexpr const char* kContinueQuestion =
    "Cannot perform the undo for the requested editing operation.\nDo you wish to continue with the editing operation?";
inline constexpr const char* kSuffix = "@@tmp";
}  // namespace undo_text

class UndoFile {
public:
    UndoFile() = default;
    explicit UndoFile(std::string path);  // takes the name (see name_for)
    ~UndoFile();  // removes the file
    UndoFile(const UndoFile&) = delete;
    UndoFile& operator=(const UndoFile&) = delete;

    // The undo file of a document of this title in `folder`: the folder, the
    // path separator, the title and "@@tmp". The name is unique among the
    // undo files of this process: a second document of the same title (two
    // "Untitled" windows, one file opened twice) gets "title(2)@@tmp", so
    // one document's Undo never reads another's copy.
    static std::string name_for(const std::string& folder, const std::string& title);

    // Names the copy after a document of this title in `folder` (name_for),
    // unless it already is: a renamed document starts a new copy.
    void use_title(const std::string& folder, const std::string& title);

    const std::string& path() const { return path_; }
    void set_path(std::string path);
    // True after a successful save, until restore() or discard().
    bool available() const { return available_; }

    // Writes the copy. On failure the message is shown through the
    // document's prompts ("Error in saving the temp file" when the file
    // cannot be created, the "Undo is not available" text when a write
    // fails or the copy of a long recording is cancelled) and false is
    // returned; the copy is then not available.
    bool save(CMarbeckDoc& doc);

    enum class Restore { Restored, OpenFailed, WrongType, WrongChannels, Damaged };
    // Reads the copy back into channel 0 (parameters, tiers in use, labels,
    // samples) and clears availability. The displayed window stays when
    // `keep_window` is set (a zoomed view), else it becomes the whole
    // recording. Nothing changes unless the whole file could be read; the
    // messages are shown through the document's prompts.
    Restore restore(CMarbeckDoc& doc, bool keep_window);

    // Forgets the copy (the file is removed).
    void discard();

private:
    std::string path_;
    std::string folder_, title_;  // what the name was made from
    bool available_ = false;
    // Which tier each tier record of the file came from: the native form
    // stores the tiers in use one after another without their numbers.
    std::vector<int> saved_tiers_;
};

}  // namespace vox
