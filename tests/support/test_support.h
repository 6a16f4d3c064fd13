#pragma once
// Shared helpers of the core tests: a scratch folder per test, a document
// wired to scripted prompts and progress, and byte-level file builders.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/platform/scripted_prompts.h"

namespace vox::test {

// A fresh folder under the system temporary directory, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A document with scripted services whose temporary files go to a scratch
// folder.
struct DocFixture {
    DocFixture();
    ScratchDir dir;
    ScriptedPrompts prompts;
    ScriptedProgress progress;
    TempNames temp_names;
    DocServices services;
    std::unique_ptr<CMarbeckDoc> doc;
    // Replaces the document with a fresh one.
    CMarbeckDoc& fresh();
};

// Little-/big-endian byte builder for constructed test files.
class Bytes {
public:
    Bytes& u8(unsigned v);
    Bytes& u16le(unsigned v);
    Bytes& u16be(unsigned v);
    Bytes& u32le(std::uint32_t v);
    Bytes& u32be(std::uint32_t v);
    Bytes& i16le(int v) { return u16le(static_cast<std::uint16_t>(v)); }
    Bytes& i16be(int v) { return u16be(static_cast<std::uint16_t>(v)); }
    Bytes& i32le(std::int32_t v) { return u32le(static_cast<std::uint32_t>(v)); }
    Bytes& i32be(std::int32_t v) { return u32be(static_cast<std::uint32_t>(v)); }
    Bytes& f32le(float v);
    Bytes& f32be(float v);
    Bytes& f64le(double v);
    Bytes& f64be(double v);
    Bytes& text(const std::string& s);                   // no terminator
    Bytes& fixed(const std::string& s, std::size_t n);   // NUL-padded to n bytes
    Bytes& zeros(std::size_t n);
    Bytes& append(const std::vector<unsigned char>& more);
    std::size_t size() const { return data.size(); }
    // Overwrites 4 bytes at offset (little-endian).
    void patch_u32le(std::size_t offset, std::uint32_t v);
    std::vector<unsigned char> data;
};

void write_file(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_file(const std::string& path);

// Channel 0 samples of a document (from memory or its raw file).
std::vector<std::int16_t> audio_samples(const CMarbeckDoc& doc);

// Runs a shell command; true when it exited 0. Output goes to /dev/null.
bool run_command(const std::string& command);
// What a program run through the shell printed and how it ended.
struct ShellRun {
    int rc = -1;       // exit status; -1 when it did not exit normally
    std::string out;   // standard output
    std::string err;   // standard error, when kept apart
};
// Runs a shell command line and collects its standard output. With
// `separate_err` its standard error goes to a file of a fresh folder (never
// a name another test process could share) and comes back in `err`;
// otherwise it goes wherever the command line sends it.
ShellRun run_shell(const std::string& command, bool separate_err = false);
// True when the program is on PATH.
bool have_program(const std::string& name);

// sox's own decode of one channel (zero-based) of `file` as 16-bit signed
// samples, through a raw file in `dir`; empty when sox fails.
std::vector<std::int16_t> sox_decode_channel(const ScratchDir& dir, const std::string& file, int channel);

}  // namespace vox::test
