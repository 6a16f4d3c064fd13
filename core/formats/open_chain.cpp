#include "core/formats/open_chain.h"

#include "core/formats/acquisition.h"
#include "core/formats/aiff.h"
#include "core/formats/decoded_reader.h"
#include "core/formats/earlier_product.h"
#include "core/formats/esps.h"
#include "core/formats/native_reader.h"
#include "core/formats/nist.h"
#include "core/formats/nsp.h"
#include "core/formats/sun_au.h"
#include "core/formats/wav.h"

namespace vox {

// The earlier product's tiered files have no reader: what is known of them
// fixes only the version word and the tier blocks, not the rate and the
// sample count, and they carry no identification text, so a reader guessing
// at them would take other formats' files.
const std::array<ReaderEntry, kOpenChainLength>& open_chain() {
    static const std::array<ReaderEntry, kOpenChainLength> chain = {{
        {"VXL_PC", read_native_pc},
        {"VXL_Mac", read_native_mac},
        {"LMX_PC", read_lmx_pc},
        {"LMX_Mac", read_lmx_mac},
        {"VXLMACX", read_native_macx},
        {"LMX_PC_FLOAT_24", read_lmx_pc_float_24},
        {"LMX_PC_FLOAT", read_lmx_pc_float},
        {"Multichannel acquisition (little-endian)", read_acquisition_le},
        {"Multichannel acquisition (big-endian)", read_acquisition_be},
        {"Data channel (512-byte header)", read_data_channel_512},
        {"AIFF", read_aiff},
        {"WAV", read_wav},
        {"CSL NSP", read_nsp},
        {"NIST SPHERE", read_nist},
        {"SUN au", read_sun_au},
        {"ESPS", read_esps},
        // Last: what the decoder handed to the document knows; the reader
        // names the format as the decoder does.
        {"Decoded audio", read_decoded},
    }};
    return chain;
}

}  // namespace vox
