#pragma once
// The native recording file (".vxl"): a 512-byte identification block, the
// 248-byte channel header, the tiers in use with their 368-byte label
// records, then the 16-bit samples. Written in the PC form; the PC, Mac and
// Mac-extended forms are read (by core/formats/native_reader). The earlier product's files share the
// header and label record, so their codecs are public here.

#include <cstdint>
#include <string>

#include "core/document/marbeck_doc.h"

namespace vox {

class BinaryFile;

namespace native_text {
inline constexpr const char* kLabelsEliminated =
    "Some labels contained uncompatible information which made them undisplayable.\nThese labels were eliminated from the file.";
}

constexpr std::size_t kIdentBlockSize = 512;
constexpr std::size_t kNativeHeaderSize = 248;
constexpr std::size_t kTierHeaderSize = 264;
constexpr std::size_t kLabelRecordSize = 368;

enum class ByteOrder { Little, Big };

// The channel header's fields as stored (before they become a CChannels).
struct NativeHeader {
    double duration_ms = 0, sample_rate = 0, sample_count = 0, reference = 0;
    double carried_d1 = 0, carried_d2 = 0, carried_d3 = 0, carried_d4 = 0;
    std::int32_t channel_type = 0, bits = 16, aux_mode = 0, gain_percent = 100, number = 0;
    std::int64_t unit_factor = 0, bandwidth_hz = 0;  // int32 in the file (unsigned in the Mac form)
    std::int32_t record_count = 0;  // tiers (native) or labels (earlier product) that follow
    std::int32_t carried_4 = 1, shown = 0, carried_1 = 0, carried_2 = 0, carried_3 = 0;
    std::string name, units;
};

NativeHeader decode_native_header(const unsigned char* bytes, ByteOrder order);
void encode_native_header(const NativeHeader& h, unsigned char* bytes);  // PC form
// Copies a decoded header into a channel (window reset to the whole channel).
void apply_native_header(const NativeHeader& h, CChannels& ch);
NativeHeader header_from_channel(const CChannels& ch);

// A label record as stored.
struct LabelRecord {
    double time_ms = 0, placement = 0;
    std::int32_t align = 0, add_line = 0;
    Rect rect;
    std::int32_t red = 0, green = 0, blue = 0;
    unsigned char font[60] = {};
    char text[256] = {};
    bool text_terminated = true;  // a NUL lies within the 256 bytes
};
LabelRecord decode_label_record(const unsigned char* bytes, ByteOrder order);
void encode_label_record(const LABEL& label, double time_offset_ms, unsigned char* bytes);

// Writes the native file of channel 0 (the selection only when `selection`).
// Throws DocumentAbort when a write fails or the progress is cancelled.
void write_native_file(CMarbeckDoc& doc, BinaryFile& file, bool selection);

}  // namespace vox
